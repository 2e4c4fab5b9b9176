#include "platform/gtk/surface_dialogs.h"

#include <memory>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

namespace {

// A modal dialog with OK and Cancel over the window that holds `parent`;
// destroyed however the scope ends.
class ModalDialog {
 public:
  ModalDialog(GtkWidget* parent, const char* title) {
    GtkWidget* top = parent ? gtk_widget_get_toplevel(parent) : nullptr;
    GtkWindow* window = top && GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
    dialog_ = gtk_dialog_new_with_buttons(
        title, window,
        static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), "_Cancel",
        GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog_), GTK_RESPONSE_OK);
    grid_ = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid_), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid_), 8);
    gtk_container_set_border_width(GTK_CONTAINER(grid_), 8);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog_))), grid_);
  }
  ~ModalDialog() { gtk_widget_destroy(dialog_); }
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  void addRow(const char* label, GtkWidget* field) {
    gtk_grid_attach(GTK_GRID(grid_), gtk_label_new(label), 0, rows_, 1, 1);
    gtk_widget_set_hexpand(field, TRUE);
    gtk_grid_attach(GTK_GRID(grid_), field, 1, rows_, 1, 1);
    ++rows_;
  }

  bool run() {
    gtk_widget_show_all(dialog_);
    return gtk_dialog_run(GTK_DIALOG(dialog_)) == GTK_RESPONSE_OK;
  }

 private:
  GtkWidget* dialog_ = nullptr;
  GtkWidget* grid_ = nullptr;
  int rows_ = 0;
};

GtkWidget* entryWith(const std::string& text) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 40);
  return entry;
}

}  // namespace

std::optional<std::string> GtkSurfaceDialogs::askHyperlink(GtkWidget* parent,
                                                           const std::string& current) {
  ModalDialog dialog(parent, "Hyperlink");
  GtkWidget* address = entryWith(current.empty() ? "http://" : current);
  dialog.addRow("URL:", address);
  if (!dialog.run()) return std::nullopt;
  return std::string(gtk_entry_get_text(GTK_ENTRY(address)));
}

std::optional<ImageChoice> GtkSurfaceDialogs::askImage(GtkWidget* parent,
                                                       const ImageChoice& current) {
  ModalDialog dialog(parent, "Image");
  GtkWidget* file = gtk_file_chooser_button_new("Image", GTK_FILE_CHOOSER_ACTION_OPEN);
  GtkFileFilter* images = gtk_file_filter_new();
  gtk_file_filter_set_name(images, "Images");
  gtk_file_filter_add_pixbuf_formats(images);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(file), images);
  GtkWidget* address = entryWith(current.address);
  GtkWidget* alt = entryWith(current.alt);
  dialog.addRow("File:", file);
  dialog.addRow("or URL:", address);
  dialog.addRow("Alternative text:", alt);
  if (!dialog.run()) return std::nullopt;
  ImageChoice choice;
  choice.alt = gtk_entry_get_text(GTK_ENTRY(alt));
  // A chosen file wins over a typed address.
  if (GCharPtr uri{gtk_file_chooser_get_uri(GTK_FILE_CHOOSER(file))}) {
    choice.address = uri.get();
  } else {
    choice.address = gtk_entry_get_text(GTK_ENTRY(address));
  }
  return choice;
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

}  // namespace

std::optional<FontChoice> GtkSurfaceDialogs::askFont(GtkWidget* parent, const FontChoice& current) {
  ModalDialog dialog(parent, "Font");
  GtkWidget* family = gtk_font_chooser_widget_new();
  gtk_font_chooser_set_level(GTK_FONT_CHOOSER(family), GTK_FONT_CHOOSER_LEVEL_FAMILY);
  gtk_widget_set_size_request(family, 360, 240);
  if (!current.family.empty()) {
    const std::string description = current.family + " 12";
    gtk_font_chooser_set_font(GTK_FONT_CHOOSER(family), description.c_str());
  }
  // The chooser always has a family; only a different one is the user's.
  const std::string shownFamily = chosenFamily(GTK_FONT_CHOOSER(family));
  GtkWidget* size = gtk_spin_button_new_with_range(0, 7, 1);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(size), current.size);
  gtk_widget_set_tooltip_text(size, "1 (smallest) to 7");
  GtkWidget* color = gtk_color_button_new();
  GdkRGBA rgba{0, 0, 0, 1};
  if (!current.color.empty()) gdk_rgba_parse(&rgba, current.color.c_str());
  gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(color), &rgba);
  const std::string shownColor = hexOf(rgba);
  dialog.addRow("Family:", family);
  dialog.addRow("Size:", size);
  dialog.addRow("Colour:", color);
  if (!dialog.run()) return std::nullopt;

  FontChoice choice;
  if (std::string chosen = chosenFamily(GTK_FONT_CHOOSER(family)); chosen != shownFamily) {
    choice.family = std::move(chosen);
  }
  if (const int chosen = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(size));
      chosen != current.size) {
    choice.size = chosen;
  }
  gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(color), &rgba);
  if (std::string chosen = hexOf(rgba); chosen != shownColor) choice.color = std::move(chosen);
  return choice;
}

}  // namespace pellora::gtk
