// Covered by tests/app/open_address_test.cpp (the journey through the host).
#include "app/host/installation_trust.h"

#include <gtk/gtk.h>

namespace pellora::host {

namespace {

constexpr const char* kKey = "Software\\Brixel\\Pellora\\Installations";

// The control's language setting, which the question follows.
bool german(settings::RegistryStore& store) {
  const auto language =
      store.readValue(settings::Hive::LocalMachine, "SOFTWARE\\Brixel\\Pellora", "Language");
  return language && language->data == "DE";
}

bool askOnDisplay(const OpenRequest& request, bool de) {
  GtkWidget* dialog = gtk_message_dialog_new(
      nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
      de ? "\u201E%s\u201C von %s \u00F6ffnen?" : "Open \u201C%s\u201D from %s?",
      request.content.c_str(), request.url.c_str());
  gtk_message_dialog_format_secondary_text(
      GTK_MESSAGE_DIALOG(dialog), "%s",
      de ? "Die Webseite hat Pellora einen Zugangsschl\u00FCssel f\u00FCr diese Installation "
           "gegeben. Pellora hat noch nie von ihr geladen; es sendet ihn nur dorthin, wenn Sie "
           "sie \u00F6ffnen."
         : "The web page gave Pellora an access token for this installation. Pellora has not "
           "loaded from it before; it sends the token there only if you open it.");
  gtk_window_set_title(GTK_WINDOW(dialog), "Pellora");
  gtk_widget_set_name(dialog, "OpenFromInstallation");
  gtk_dialog_add_button(GTK_DIALOG(dialog), de ? "Abbrechen" : "Cancel", GTK_RESPONSE_CANCEL);
  gtk_dialog_add_button(GTK_DIALOG(dialog), de ? "\u00D6ffnen" : "Open", GTK_RESPONSE_ACCEPT);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
  const bool open = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
  gtk_widget_destroy(dialog);
  return open;
}

}  // namespace

bool mayOpenFrom(const OpenRequest& request, settings::RegistryStore& store, Asking asking) {
  const std::string installation = installationKey(request.url);
  if (installation.empty()) return false;
  if (store.readValue(settings::Hive::CurrentUser, kKey, installation)) return true;
  if (asking == Asking::Never || !askOnDisplay(request, german(store))) return false;
  if (!store.writeValue(settings::Hive::CurrentUser, kKey, installation,
                        settings::Value::dword(1))) {
    // Opened all the same; the question merely comes again next time.
    g_printerr("pellora: cannot remember %s: %s\n", installation.c_str(),
               store.lastDiagnostic().c_str());
  }
  return true;
}

}  // namespace pellora::host
