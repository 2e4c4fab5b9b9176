// Image files decoded with gdk-pixbuf: a file is an image only when its
// whole content decodes, not just its first bytes.
#pragma once

#include "ui/services.h"

namespace pellora::gtk {

class PixbufImageDecoder final : public ui::ImageDecoder {
 public:
  std::optional<bool> decodes(std::string_view mimeType, std::string_view bytes) override;
};

}  // namespace pellora::gtk
