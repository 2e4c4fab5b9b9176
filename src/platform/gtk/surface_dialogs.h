// The dialogs the visual editing surface shows when a command asks it to
// prompt the user (option 1): a hyperlink address, an image (a local file or
// a typed address, with its alternative text and size) and a font (family,
// size, colour). Each opens on what the selection already has and answers
// nothing when the user cancels. Their texts follow the interface language.
// Every field has a widget name, so a host's script can fill it. Text is
// UTF-8 here; the surface hands it straight to the page.
// Covered by tests/platform/gtk/surface_dialogs_gtk_test.cpp.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <utility>

namespace pellora::gtk {

struct ImageChoice {
  // Callers name the parts they have, in order; the rest stay empty.
  ImageChoice(std::string address = {}, std::string alt = {}, std::string width = {},
              std::string height = {})
      : address(std::move(address)),
        alt(std::move(alt)),
        width(std::move(width)),
        height(std::move(height)) {}

  std::string address;
  std::string alt;     // alternative text; empty: none
  std::string width;   // pixels or a percentage ("50%"); empty: none
  std::string height;  // as width
};

struct FontChoice {
  std::string family;  // empty: keep
  int size = 0;        // 1..7 as the engine's font sizes; 0: keep
  std::string color;   // "#rrggbb"; empty: keep
};

class SurfaceDialogs {
 public:
  virtual ~SurfaceDialogs() = default;
  // `current` is the address the selection already links to, if any; the
  // dialog then edits that link rather than inserting one.
  virtual std::optional<std::string> askHyperlink(GtkWidget* parent,
                                                  const std::string& current) = 0;
  // `current` is the selected image, if any (empty address: none). A local
  // file comes back as a file:// address; width and height only as
  // imageDimension() takes them.
  virtual std::optional<ImageChoice> askImage(GtkWidget* parent, const ImageChoice& current) = 0;
  // `current` is the selection's face, size and colour (empty or 0 where
  // unknown); the answer holds only what the user changed.
  virtual std::optional<FontChoice> askFont(GtkWidget* parent, const FontChoice& current) = 0;
};

// Modal GTK dialogs over the window that holds `parent`.
class GtkSurfaceDialogs final : public SurfaceDialogs {
 public:
  std::optional<std::string> askHyperlink(GtkWidget* parent, const std::string& current) override;
  std::optional<ImageChoice> askImage(GtkWidget* parent, const ImageChoice& current) override;
  std::optional<FontChoice> askFont(GtkWidget* parent, const FontChoice& current) override;
};

}  // namespace pellora::gtk
