#include "app/host/host_window.h"

#include <stdexcept>

#include "app/host/host_texts.h"

namespace pellora::host {

namespace {

// Marks one of our calls as running; the messages a request keeps flowing
// may bring a second click or ×, which waits for it.
struct Busy {
  bool& flag;
  explicit Busy(bool& f) : flag(f) { flag = true; }
  ~Busy() { flag = false; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;
};

std::string fillIn(std::string_view pattern, const std::string& value) {
  std::string text(pattern);
  const std::size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// A button the scripts find by `name`, labelled `caption` (with its
// mnemonic).
GtkWidget* newButton(const char* name, std::string_view caption) {
  GtkWidget* button = gtk_button_new_with_mnemonic(std::string(caption).c_str());
  gtk_widget_set_name(button, name);
  return button;
}

}  // namespace

HostWindow::HostWindow(ModuleClient& control) : control_(control) {
  language_ = control_.documentState().language;
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), "Pellora");
  gtk_window_set_default_size(GTK_WINDOW(window_), 820, 560);
  g_signal_connect(window_, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                     static_cast<HostWindow*>(self)->window_ = nullptr;
                   }),
                   this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);

  pages_ = gtk_stack_new();
  gtk_widget_set_name(pages_, kPages);
  gtk_container_add(GTK_CONTAINER(window_), pages_);

  editorPage_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  saveButton_ = newButton("HostSave", hostText(HostText::SaveButtonBar, language_));
  closeButton_ = newButton("HostClose", hostText(HostText::CloseButtonBar, language_));
  gtk_box_pack_end(GTK_BOX(buttons), closeButton_, FALSE, FALSE, 0);
  gtk_box_pack_end(GTK_BOX(buttons), saveButton_, FALSE, FALSE, 0);
  gtk_box_pack_end(GTK_BOX(editorPage_), buttons, FALSE, FALSE, 4);
  gtk_stack_add_named(GTK_STACK(pages_), editorPage_, kEditorPage);
  g_signal_connect_swapped(saveButton_, "clicked",
                           G_CALLBACK(+[](HostWindow* self) { self->save(); }), this);
  g_signal_connect_swapped(closeButton_, "clicked", G_CALLBACK(+[](HostWindow* self) {
                             if (self->busy_) return;
                             self->closeEditor();
                             self->update();
                           }),
                           this);

  // Shown once the editor is closed, in place of an empty control.
  GtkWidget* closed = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
  gtk_widget_set_valign(closed, GTK_ALIGN_CENTER);
  gtk_widget_set_halign(closed, GTK_ALIGN_CENTER);
  message_ = gtk_label_new("");
  gtk_widget_set_name(message_, kMessage);
  gtk_box_pack_start(GTK_BOX(closed), message_, FALSE, FALSE, 0);
  GtkWidget* choices = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  loadAgainButton_ = newButton("HostLoadAgain", hostText(HostText::LoadAgainButton, language_));
  closeWindowButton_ =
      newButton("HostCloseWindow", hostText(HostText::CloseWindowButton, language_));
  gtk_box_pack_start(GTK_BOX(choices), loadAgainButton_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(choices), closeWindowButton_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(closed), choices, FALSE, FALSE, 0);
  gtk_stack_add_named(GTK_STACK(pages_), closed, kClosedPage);
  g_signal_connect_swapped(loadAgainButton_, "clicked",
                           G_CALLBACK(+[](HostWindow* self) { self->loadAgain(); }), this);
  g_signal_connect_swapped(closeWindowButton_, "clicked",
                           G_CALLBACK(+[](HostWindow* self) { self->destroy(); }), this);

  showEditor();
  gtk_widget_show_all(window_);
  gtk_stack_set_visible_child_name(GTK_STACK(pages_), kEditorPage);
  control_.watchState(&HostWindow::onStateChanged, this);
  update();
}

HostWindow::~HostWindow() {
  control_.watchState(nullptr, nullptr);
  if (updateSource_) g_source_remove(updateSource_);
  destroy();
}

void HostWindow::destroy() {
  if (window_) gtk_widget_destroy(window_);
}

void HostWindow::showEditor() {
  if (view_) gtk_widget_destroy(view_);
  view_ = control_.window();
  if (!view_) return;
  gtk_box_pack_start(GTK_BOX(editorPage_), view_, TRUE, TRUE, 0);
  gtk_box_reorder_child(GTK_BOX(editorPage_), view_, 0);
  g_signal_connect(view_, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                     static_cast<HostWindow*>(self)->view_ = nullptr;
                   }),
                   this);
  gtk_widget_show_all(view_);
}

std::string HostWindow::language() {
  const ModuleClient::DocumentState state = control_.documentState();
  if (state.known) language_ = state.language;
  return language_;
}

void HostWindow::onStateChanged(void* self) { static_cast<HostWindow*>(self)->scheduleUpdate(); }

// The control tells of every caret move, from inside its editing steps:
// the window follows once they are done, at most once per burst.
void HostWindow::scheduleUpdate() {
  if (updateSource_) return;
  updateSource_ = g_idle_add(
      +[](gpointer data) -> gboolean {
        auto* self = static_cast<HostWindow*>(data);
        self->updateSource_ = 0;
        self->update();
        return G_SOURCE_REMOVE;
      },
      this);
}

void HostWindow::update() {
  if (!window_) return;
  const ModuleClient::DocumentState state = control_.documentState();
  if (!state.known) return;  // a module that tells nothing keeps the plain window
  language_ = state.language;
  gtk_window_set_title(GTK_WINDOW(window_),
                       windowTitle(state.name, state.modified, state.notLoaded, language_).c_str());
  if (state.open) {
    gtk_stack_set_visible_child_name(GTK_STACK(pages_), kEditorPage);
    return;
  }
  gtk_label_set_text(
      GTK_LABEL(message_),
      std::string(hostText(state.saved ? HostText::SavedPage : HostText::ClosedPage, language_))
          .c_str());
  gtk_stack_set_visible_child_name(GTK_STACK(pages_), kClosedPage);
}

gboolean HostWindow::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* self = static_cast<HostWindow*>(data);
  // The window goes only once the editor has gone the way the user chose.
  if (!self->busy_ && self->closeEditor()) {
    self->destroy();
  } else {
    self->update();
  }
  return TRUE;
}

bool HostWindow::closeEditor() {
  Busy busy(busy_);
  ModuleClient::DocumentState state = control_.documentState();
  if (state.known && !state.open) return true;
  if (state.known && state.modified) {
    switch (ask(state)) {
      case Answer::Save: {
        const ModuleClient::Result saved = control_.call("Save");
        if (com::FAILED(saved.hr)) {
          report(std::string(hostText(HostText::SaveFailed, language_)), saved.error);
          return false;
        }
        // A refused save keeps the editor; the control has shown why.
        return !control_.documentState().open;
      }
      case Answer::Discard:
        break;
      case Answer::Cancel:
        return false;
    }
  }
  const ModuleClient::Result closed = control_.call("Close");
  if (com::FAILED(closed.hr)) {
    report(std::string(hostText(HostText::CloseFailed, language_)), closed.error);
    return false;
  }
  // A Close that waits for a running request leaves the editor for now.
  return !state.known || !control_.documentState().open;
}

HostWindow::Answer HostWindow::ask(const ModuleClient::DocumentState& state) {
  const std::string& lang = state.language;
  GtkWidget* dialog = gtk_message_dialog_new(
      GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s",
      fillIn(hostText(HostText::SaveQuestion, lang), state.name).c_str());
  gtk_message_dialog_format_secondary_text(
      GTK_MESSAGE_DIALOG(dialog), "%s",
      std::string(hostText(HostText::SaveQuestionHint, lang)).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), "Pellora");
  gtk_widget_set_name(dialog, "HostSaveQuestion");
  struct Choice {
    HostText text;
    const char* name;  // the same in both languages, for scripts
    int response;
  };
  // As in our own dialogs: the confirming button left, cancelling right.
  const Choice choices[] = {
      {HostText::SaveButton, "Save", GTK_RESPONSE_ACCEPT},
      {HostText::DiscardButton, "Discard", GTK_RESPONSE_REJECT},
      {HostText::CancelButton, "Cancel", GTK_RESPONSE_CANCEL},
  };
  for (const Choice& choice : choices) {
    GtkWidget* button = gtk_dialog_add_button(
        GTK_DIALOG(dialog), std::string(hostText(choice.text, lang)).c_str(), choice.response);
    gtk_widget_set_name(button, choice.name);
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  switch (response) {
    case GTK_RESPONSE_ACCEPT:
      return Answer::Save;
    case GTK_RESPONSE_REJECT:
      return Answer::Discard;
    default:  // Cancel, Escape or the box's own ×
      return Answer::Cancel;
  }
}

void HostWindow::save() {
  if (busy_) return;
  Busy busy(busy_);
  const ModuleClient::Result saved = control_.call("Save");
  if (com::FAILED(saved.hr))
    report(std::string(hostText(HostText::SaveFailed, language())), saved.error);
  update();
}

void HostWindow::loadAgain() {
  if (busy_) return;
  Busy busy(busy_);
  try {
    control_.recreate();
    showEditor();
    gtk_stack_set_visible_child_name(GTK_STACK(pages_), kEditorPage);
    const ModuleClient::Result loaded = control_.call("Load");
    if (com::FAILED(loaded.hr)) throw std::runtime_error(loaded.error);
  } catch (const std::exception& failure) {
    report(std::string(hostText(HostText::LoadFailed, language())), failure.what());
  }
  update();
}

void HostWindow::report(const std::string& what, const std::string& detail) {
  GtkWidget* box = gtk_message_dialog_new(window_ ? GTK_WINDOW(window_) : nullptr, GTK_DIALOG_MODAL,
                                          GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", what.c_str());
  if (!detail.empty())
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(box), "%s", detail.c_str());
  gtk_window_set_title(GTK_WINDOW(box), "Pellora");
  gtk_widget_set_name(box, "HostFailure");
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

}  // namespace pellora::host
