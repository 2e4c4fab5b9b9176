// The dialogs the visual editing surface shows when a command asks it to
// prompt the user (option 1): a hyperlink address, an image (a local file or
// a typed address) and a font (family, size, colour). Each answers nothing
// when the user cancels. Text is UTF-8 here; the surface hands it straight
// to the page.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

namespace pellora::gtk {

struct FontChoice {
  std::string family;  // empty: keep
  int size = 0;        // 1..7 as the engine's font sizes; 0: keep
  std::string color;   // "#rrggbb"; empty: keep
};

class SurfaceDialogs {
 public:
  virtual ~SurfaceDialogs() = default;
  // `current` is the address the selection already links to, if any.
  virtual std::optional<std::string> askHyperlink(GtkWidget* parent,
                                                  const std::string& current) = 0;
  // A local file comes back as a file:// address.
  virtual std::optional<std::string> askImage(GtkWidget* parent) = 0;
  virtual std::optional<FontChoice> askFont(GtkWidget* parent) = 0;
};

// Modal GTK dialogs over the window that holds `parent`.
class GtkSurfaceDialogs final : public SurfaceDialogs {
 public:
  std::optional<std::string> askHyperlink(GtkWidget* parent, const std::string& current) override;
  std::optional<std::string> askImage(GtkWidget* parent) override;
  std::optional<FontChoice> askFont(GtkWidget* parent) override;
};

}  // namespace pellora::gtk
