#include "platform/gtk/image_file_button.h"

#include <memory>

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/image_dialog_values.h"

namespace pellora::gtk {

namespace {

struct FileButton {
  GtkWidget* address;
  ImageFileTexts texts;
  std::string chosenUri;
};

void showChosen(GtkButton* button, const FileButton& state) {
  if (state.chosenUri.empty()) {
    gtk_button_set_label(button, state.texts.none.c_str());
    return;
  }
  const auto file = adopt(g_file_new_for_uri(state.chosenUri.c_str()));
  const GCharPtr name{g_file_get_basename(file.get())};
  gtk_button_set_label(button, name ? name.get() : state.chosenUri.c_str());
}

void onClicked(GtkButton* button, gpointer data) {
  auto& state = *static_cast<FileButton*>(data);
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(button));
  const auto chooser = adopt(gtk_file_chooser_native_new(
      state.texts.chooserTitle.c_str(), GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr,
      GTK_FILE_CHOOSER_ACTION_OPEN, state.texts.open.c_str(), state.texts.cancel.c_str()));
  GtkFileFilter* images = gtk_file_filter_new();
  gtk_file_filter_set_name(images, state.texts.filter.c_str());
  gtk_file_filter_add_pixbuf_formats(images);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser.get()), images);
  if (!state.chosenUri.empty()) {
    gtk_file_chooser_set_uri(GTK_FILE_CHOOSER(chooser.get()), state.chosenUri.c_str());
  }
  if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser.get())) != GTK_RESPONSE_ACCEPT) return;
  const GCharPtr uri{gtk_file_chooser_get_uri(GTK_FILE_CHOOSER(chooser.get()))};
  if (!uri) return;
  state.chosenUri = uri.get();
  showChosen(button, state);
  gtk_entry_set_text(GTK_ENTRY(state.address), uri.get());
}

}  // namespace

GtkWidget* imageFileButton(GtkWidget* address, const std::string& current, ImageFileTexts texts) {
  GtkWidget* button = gtk_button_new();
  auto state = std::make_unique<FileButton>(
      FileButton{address, std::move(texts), previewPath(current) ? current : std::string()});
  showChosen(GTK_BUTTON(button), *state);
  // A long file name is shortened in the middle, keeping its extension.
  if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(button)); GTK_IS_LABEL(label)) {
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
  }
  g_signal_connect(button, "clicked", G_CALLBACK((guardedCallback<&onClicked>)), state.get());
  g_object_set_data_full(G_OBJECT(button), "pellora-file-button", state.release(),
                         [](gpointer data) { delete static_cast<FileButton*>(data); });
  return button;
}

}  // namespace pellora::gtk
