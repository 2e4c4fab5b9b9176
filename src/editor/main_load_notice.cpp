// The notice of a load that failed: shown above the views with the reason
// whenever the request for the item fails, so the editor does not pass for
// an empty item, and gone once a load succeeds. The load itself reports
// the failure in its message box as well.
#include <string>

#include "content/url_encode.h"
#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"
#include "ui/scope_exit.h"

namespace pellora {

std::string TMainForm::ItemUrl() const {
  const EditingContext& context = editingContext();
  return context.BaseUrl + "/contents/" + content::UrlEncode(context.ContentName) + ".html";
}

void TMainForm::watchLoads() {
  // Every load of the item, from Load, from Try Again or offered by a save,
  // is one request for its address; nothing else asks for it.
  IdHTTP.OnRequestDone = [this](exchange::TIdHTTP&, const std::string& url,
                                const std::exception* failure) {
    if (url == ItemUrl()) loadEnded(failure);
  };
  btnTryAgain.onClick = [this] { btnTryAgainClick(); };
}

void TMainForm::loadEnded(const std::exception* failure) {
  // A new item is not there yet (the load's own rule): no failure.
  if (!failure || std::string(failure->what()) == "404 Not Found") {
    LoadFailureBar.setVisible(false);
    return;
  }
  LoadFailureBar.setCaption(
      languageText(LanguageText::ItemNotLoaded, {editingContext().ContentName, failure->what()}));
  LoadFailureBar.setVisible(true);
}

void TMainForm::btnTryAgainClick() {
  // One load at a time: the window stays alive while it runs.
  btnTryAgain.setEnabled(false);
  const ui::ScopeExit enable([this] { btnTryAgain.setEnabled(true); });
  btnLoad.click();
}

}  // namespace pellora
