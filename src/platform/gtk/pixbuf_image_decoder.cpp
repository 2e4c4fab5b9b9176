#include "platform/gtk/pixbuf_image_decoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

std::optional<bool> PixbufImageDecoder::decodes(std::string_view mimeType, std::string_view bytes) {
  const std::string type(mimeType);
  GError* error = nullptr;
  GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_mime_type(type.c_str(), &error));
  if (!loader) {
    // No loader for this type here (WebP, say): the signature has to do.
    g_clear_error(&error);
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const guchar*>(bytes.data());
  const bool written = gdk_pixbuf_loader_write(loader.get(), data, bytes.size(), &error);
  g_clear_error(&error);
  // Closed in any case: a loader left open warns when it is finalised.
  const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
  g_clear_error(&error);
  return written && closed && gdk_pixbuf_loader_get_pixbuf(loader.get()) != nullptr;
}

}  // namespace pellora::gtk
