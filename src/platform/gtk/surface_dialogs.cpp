#include "platform/gtk/surface_dialogs.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/dialog_style.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/image_dialog_values.h"
#include "platform/gtk/image_file_button.h"
#include "platform/gtk/widget_search.h"
#include "settings/surface_dialog_texts.h"

namespace pellora::gtk {

namespace {

using Text = SurfaceDialogText;

std::string shown(Text text) { return toWidgetText(surfaceDialogText(text)); }

// The design size of the editor's dialog buttons.
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 5;

// How a field comes into view: with everything inside it, or only itself
// when it keeps some of its own parts hidden (the font chooser's sizes).
enum class Reveal { All, Self };

// A modal dialog over the window that holds `parent`, its fields in a grid
// and OK before Cancel at the bottom right, as in the editor's other
// dialogs; destroyed however the scope ends.
class ModalDialog {
 public:
  ModalDialog(GtkWidget* parent, Text title, const char* name) {
    GtkWidget* top = parent ? gtk_widget_get_toplevel(parent) : nullptr;
    GtkWindow* window = top && GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
    const std::string caption = shown(title);
    // No header bar: the buttons stay at the bottom whatever the desktop.
    dialog_ = GTK_WIDGET(g_object_new(GTK_TYPE_DIALOG, "use-header-bar", FALSE, "modal", TRUE,
                                      "destroy-with-parent", TRUE, "title", caption.c_str(),
                                      "transient-for", window, nullptr));
    gtk_widget_set_name(dialog_, name);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog_));
    grid_ = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid_), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid_), 8);
    gtk_container_set_border_width(GTK_CONTAINER(grid_), 8);
    gtk_box_pack_start(GTK_BOX(content), grid_, TRUE, TRUE, 0);
    gtk_widget_show(grid_);
    // A row of our own rather than the action area, whose button box
    // widens and spaces the buttons by the theme.
    buttons_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, kButtonGap);
    gtk_widget_set_halign(buttons_, GTK_ALIGN_END);
    gtk_widget_set_margin_end(buttons_, 8);
    gtk_widget_set_margin_bottom(buttons_, 8);
    gtk_box_pack_end(GTK_BOX(content), buttons_, FALSE, FALSE, 0);
    gtk_widget_show(buttons_);
    GtkWidget* ok = addButton(Text::Ok, "btnOk", GTK_RESPONSE_OK);
    addButton(Text::Cancel, "btnCancel", GTK_RESPONSE_CANCEL);
    gtk_window_set_default(GTK_WINDOW(dialog_), ok);
  }
  ~ModalDialog() { gtk_widget_destroy(dialog_); }
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // A row of the grid: the label, and the field it names (its mnemonic
  // widget, so scripts and screen readers pair them).
  // Gives the label.
  GtkWidget* addRow(Text label, GtkWidget* field, const char* name, Reveal reveal = Reveal::All) {
    const std::string text = shown(label);
    GtkWidget* caption = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(caption), 0);
    gtk_label_set_mnemonic_widget(GTK_LABEL(caption), field);
    gtk_widget_set_name(field, name);
    gtk_grid_attach(GTK_GRID(grid_), caption, 0, rows_, 1, 1);
    gtk_widget_set_hexpand(field, TRUE);
    gtk_grid_attach(GTK_GRID(grid_), field, 1, rows_, 1, 1);
    gtk_widget_show(caption);
    if (reveal == Reveal::All) {
      gtk_widget_show_all(field);
    } else {
      gtk_widget_show(field);
    }
    ++rows_;
    return caption;
  }

  // `widget` right of all rows so far, as tall as they are.
  void addBeside(GtkWidget* widget) {
    gtk_grid_attach(GTK_GRID(grid_), widget, 2, 0, 1, rows_);
    gtk_widget_show_all(widget);
  }

  // The field the dialog opens in.
  void focus(GtkWidget* field) { gtk_window_set_focus(GTK_WINDOW(dialog_), field); }

  // Runs until OK (true) or any other answer; may run again while the
  // fields are not yet acceptable.
  bool run() {
    if (!styled_) {
      styleDialog(dialog_, ui::Font{});
      styled_ = true;
    }
    return gtk_dialog_run(GTK_DIALOG(dialog_)) == GTK_RESPONSE_OK;
  }

 private:
  GtkWidget* addButton(Text caption, const char* name, GtkResponseType response) {
    const std::string text = shown(caption);
    GtkWidget* button = gtk_button_new_with_label(text.c_str());
    gtk_widget_set_name(button, name);
    gtk_widget_set_size_request(button, kButtonWidth, kButtonHeight);
    gtk_widget_set_can_default(button, TRUE);
    g_object_set_data(G_OBJECT(button), "response", GINT_TO_POINTER(response));
    g_signal_connect(button, "clicked", G_CALLBACK((guardedCallback<&onButton>)), dialog_);
    gtk_box_pack_start(GTK_BOX(buttons_), button, FALSE, FALSE, 0);
    gtk_widget_show(button);
    return button;
  }

  static void onButton(GtkButton* button, gpointer dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog),
                        GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "response")));
  }

  GtkWidget* dialog_ = nullptr;
  GtkWidget* grid_ = nullptr;
  GtkWidget* buttons_ = nullptr;
  int rows_ = 0;
  bool styled_ = false;
};

GtkWidget* entryWith(const std::string& text, int width = 40) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), width);
  return entry;
}

std::string entryText(GtkWidget* entry) { return gtk_entry_get_text(GTK_ENTRY(entry)); }

// --- the image dialog's preview ---------------------------------------------------

constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 120;

// The local file at `address`, no larger than the preview box (smaller
// pictures keep their size); the generic image icon for anything else.
// Remote addresses are never fetched.
void showPreview(GtkImage* image, const std::string& address) {
  if (const auto path = previewPath(address)) {
    int width = 0;
    int height = 0;
    if (gdk_pixbuf_get_file_info(path->c_str(), &width, &height)) {
      const bool fits = width <= kPreviewWidth && height <= kPreviewHeight;
      GError* error = nullptr;
      auto picture = adopt(gdk_pixbuf_new_from_file_at_scale(
          path->c_str(), fits ? -1 : kPreviewWidth, fits ? -1 : kPreviewHeight, TRUE, &error));
      const GErrorPtr failure(error);  // an unreadable picture shows the icon below
      if (picture) {
        gtk_image_set_from_pixbuf(image, picture.get());
        return;
      }
    }
  }
  gtk_image_set_from_icon_name(image, "image-x-generic-symbolic", GTK_ICON_SIZE_DIALOG);
}

void onAddressChanged(GtkEditable* address, gpointer image) {
  showPreview(GTK_IMAGE(image), gtk_entry_get_text(GTK_ENTRY(address)));
}

// Marks a field whose text cannot be taken, or clears the mark.
void markInvalid(GtkWidget* field, bool invalid) {
  GtkStyleContext* style = gtk_widget_get_style_context(field);
  if (invalid) {
    gtk_style_context_add_class(style, GTK_STYLE_CLASS_ERROR);
  } else {
    gtk_style_context_remove_class(style, GTK_STYLE_CLASS_ERROR);
  }
}

// The size in `field`; a value the image already had stays as it is, even
// one typed differently elsewhere ("100px"), so it never blocks the dialog.
std::optional<std::string> dimensionIn(GtkWidget* field, const std::string& before) {
  const std::string typed = entryText(field);
  if (typed == before) return typed;
  return imageDimension(typed);
}

}  // namespace

std::optional<std::string> GtkSurfaceDialogs::askHyperlink(GtkWidget* parent,
                                                           const std::string& current) {
  // Only a link the selection stands in has an address.
  ModalDialog dialog(parent, current.empty() ? Text::LinkTitle : Text::LinkEditTitle, "LinkDialog");
  GtkWidget* address = entryWith(current.empty() ? "http://" : current);
  dialog.addRow(Text::LinkAddress, address, "edLinkAddress");
  dialog.focus(address);
  if (!dialog.run()) return std::nullopt;
  return entryText(address);
}

std::optional<ImageChoice> GtkSurfaceDialogs::askImage(GtkWidget* parent,
                                                       const ImageChoice& current) {
  ModalDialog dialog(parent, Text::ImageTitle, "ImageDialog");
  GtkWidget* address = entryWith(current.address);
  GtkWidget* file = imageFileButton(
      address, current.address,
      {shown(Text::ImageNoFile), shown(Text::ImageChooserTitle), shown(Text::ImageFilter),
       shown(Text::ImageChooserOpen), shown(Text::Cancel)});
  GtkWidget* alt = entryWith(current.alt);
  GtkWidget* width = entryWith(current.width, 8);
  GtkWidget* height = entryWith(current.height, 8);
  const std::string sizeHint = shown(Text::ImageSizeHint);
  for (GtkWidget* size : {width, height}) {
    gtk_widget_set_tooltip_text(size, sizeHint.c_str());
    gtk_widget_set_hexpand(size, FALSE);
  }
  dialog.addRow(Text::ImageFile, file, "fcImageFile");
  dialog.addRow(Text::ImageAddress, address, "edImageAddress");
  dialog.addRow(Text::ImageAlt, alt, "edImageAlt");
  dialog.addRow(Text::ImageWidth, width, "edImageWidth");
  dialog.addRow(Text::ImageHeight, height, "edImageHeight");
  for (GtkWidget* size : {width, height}) gtk_widget_set_halign(size, GTK_ALIGN_START);

  GtkWidget* preview = gtk_image_new();
  gtk_widget_set_name(preview, "imgPreview");
  gtk_widget_set_size_request(preview, kPreviewWidth, kPreviewHeight);
  const std::string previewHint = shown(Text::ImagePreview);
  gtk_widget_set_tooltip_text(preview, previewHint.c_str());
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_container_add(GTK_CONTAINER(frame), preview);
  gtk_widget_set_valign(frame, GTK_ALIGN_START);
  dialog.addBeside(frame);
  dialog.focus(address);
  showPreview(GTK_IMAGE(preview), current.address);
  g_signal_connect(address, "changed", G_CALLBACK((guardedCallback<&onAddressChanged>)), preview);

  while (dialog.run()) {
    const auto chosenWidth = dimensionIn(width, current.width);
    const auto chosenHeight = dimensionIn(height, current.height);
    markInvalid(width, !chosenWidth);
    markInvalid(height, !chosenHeight);
    if (!chosenWidth || !chosenHeight) {
      gtk_widget_grab_focus(chosenWidth ? height : width);
      continue;
    }
    ImageChoice choice;
    choice.address = entryText(address);
    choice.alt = entryText(alt);
    choice.width = *chosenWidth;
    choice.height = *chosenHeight;
    return choice;
  }
  return std::nullopt;
}

namespace {

std::string hexOf(const GdkRGBA& rgba) {
  char hex[8];
  g_snprintf(hex, sizeof hex, "#%02x%02x%02x", static_cast<int>(rgba.red * 255 + 0.5),
             static_cast<int>(rgba.green * 255 + 0.5), static_cast<int>(rgba.blue * 255 + 0.5));
  return hex;
}

std::string chosenFamily(GtkFontChooser* chooser) {
  std::string family;
  if (GCharPtr name{gtk_font_chooser_get_font(chooser)}) {
    PangoFontDescription* description = pango_font_description_from_string(name.get());
    if (const char* chosen = pango_font_description_get_family(description)) family = chosen;
    pango_font_description_free(description);
  }
  return family;
}

// The size normal text has in the document's scale.
constexpr int kNormalSize = 3;

}  // namespace

std::optional<FontChoice> GtkSurfaceDialogs::askFont(GtkWidget* parent, const FontChoice& current) {
  ModalDialog dialog(parent, Text::FontTitle, "FontDialog");
  // Families only: the size is the document's 1 to 7 below, not points.
  GtkWidget* family = gtk_font_chooser_widget_new();
  gtk_font_chooser_set_level(GTK_FONT_CHOOSER(family), GTK_FONT_CHOOSER_LEVEL_FAMILY);
  gtk_widget_set_size_request(family, 360, 240);
  const std::string sample = shown(Text::FontSample);
  gtk_font_chooser_set_preview_text(GTK_FONT_CHOOSER(family), sample.c_str());
  // The chooser's search field speaks GTK's language, not the editor's.
  if (GtkWidget* search =
          findWidgetIf(family, [](GtkWidget* w) { return GTK_IS_SEARCH_ENTRY(w); })) {
    const std::string placeholder = shown(Text::FontSearch);
    gtk_entry_set_placeholder_text(GTK_ENTRY(search), placeholder.c_str());
  }
  if (!current.family.empty()) {
    const std::string description = current.family + " 12";
    gtk_font_chooser_set_font(GTK_FONT_CHOOSER(family), description.c_str());
  }
  // The chooser always has a family; only a different one is the user's.
  const std::string shownFamily = chosenFamily(GTK_FONT_CHOOSER(family));
  GtkWidget* size = gtk_spin_button_new_with_range(1, 7, 1);
  const int shownSize = current.size >= 1 && current.size <= 7 ? current.size : kNormalSize;
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(size), shownSize);
  gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(size), TRUE);
  gtk_entry_set_activates_default(GTK_ENTRY(size), TRUE);
  const std::string sizeHint = shown(Text::FontSizeHint);
  gtk_widget_set_tooltip_text(size, sizeHint.c_str());
  gtk_widget_set_hexpand(size, FALSE);
  GtkWidget* color = gtk_color_button_new();
  GdkRGBA rgba{0, 0, 0, 1};
  if (!current.color.empty()) gdk_rgba_parse(&rgba, current.color.c_str());
  gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(color), &rgba);
  const std::string shownColor = hexOf(rgba);
  // The chooser's own size controls stay hidden (see Reveal).
  GtkWidget* familyLabel = dialog.addRow(Text::FontFamily, family, "fcFontFamily", Reveal::Self);
  // Beside the chooser's search field, not the middle of its long list.
  gtk_widget_set_valign(familyLabel, GTK_ALIGN_START);
  gtk_widget_set_margin_top(familyLabel, 4);
  dialog.addRow(Text::FontSize, size, "edFontSize");
  dialog.addRow(Text::FontColour, color, "cbFontColour");
  gtk_widget_set_halign(size, GTK_ALIGN_START);
  gtk_widget_set_halign(color, GTK_ALIGN_START);
  if (!dialog.run()) return std::nullopt;

  FontChoice choice;
  if (std::string chosen = chosenFamily(GTK_FONT_CHOOSER(family)); chosen != shownFamily) {
    choice.family = std::move(chosen);
  }
  // A typed size counts even when the field was never left.
  gtk_spin_button_update(GTK_SPIN_BUTTON(size));
  if (const int chosen = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(size));
      chosen != shownSize) {
    choice.size = chosen;
  }
  gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(color), &rgba);
  if (std::string chosen = hexOf(rgba); chosen != shownColor) choice.color = std::move(chosen);
  return choice;
}

}  // namespace pellora::gtk
