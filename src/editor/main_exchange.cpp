// Loading a content item into the editor and saving it back.
#include <exception>

#include "content/apply_options.h"
#include "content/extract_body.h"
#include "content/line_ends.h"
#include "content/server_response.h"
#include "content/url_encode.h"
#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"
#include "settings/options.h"
#include "ui/services.h"

namespace pellora {

namespace {

// Counts a load or save as running for its lifetime.
class RequestScope {
 public:
  explicit RequestScope(int& running) : running_(running) { ++running_; }
  ~RequestScope() { --running_; }
  RequestScope(const RequestScope&) = delete;
  RequestScope& operator=(const RequestScope&) = delete;

 private:
  int& running_;
};

}  // namespace

void TMainForm::placeStatusPanel() {
  const ui::Bounds editor = TabSheet1.bounds();
  StatusDisplay.place(editor.width, editor.height, CoolBar.bounds().height);
}

void TMainForm::btnLoadClick() {
  const EditingContext& context = editingContext();
  LoadContent(context.BaseUrl + "/contents/" + content::UrlEncode(context.ContentName) + ".html");
}

void TMainForm::LoadContent(const std::string& url) {
  RequestScope running(RequestsRunning);
  EditingContext& context = editingContext();
  placeStatusPanel();
  {
    exchange::ShownStatus shown(StatusDisplay,
                                "Please Wait! Loading Content \"" + context.ContentName + "\" ...");
    if (dialogs.OptionsForm) {
      IdHTTP.ProxyParams.ProxyServer = dialogs.OptionsForm->GetProxyHost();
      IdHTTP.ProxyParams.ProxyPort = dialogs.OptionsForm->GetProxyPort();
    }
    if (journal_) journal_->beforeLoad();
    try {
      context.ContentBody = IdHTTP.Get(url);
      LoadedItem = ItemOfContext();
      if (journal_) journal_->itemLoaded({context.BaseUrl, context.ContentName});
      expectLoadedBody();
      DHTMLEdit().setDocumentHTML(wrapInDocumentTemplate(context.ContentBody));
      if (PageControl.activePageIndex() == 1) {
        // The HTML view shows the new body, so a later switch back cannot
        // put stale source text over the freshly loaded document.
        mmoHTML.resetText(context.ContentBody);
        context.UndoBody = context.ContentBody;
        undoGeneration_.reset();
        undoDiffersAt_.reset();
        SourceModified = false;
      }
    } catch (const std::exception& failure) {
      if (std::string(failure.what()) == "404 Not Found") {
        // A new item is not there yet: saving creates it.
        LoadedItem = ItemOfContext();
      } else {
        if (!LoadedItem) LoadedItem.emplace();
        ui::platform().messageBoxes().warning(failure.what());
      }
    }
    ScanServerImages();
  }
  content::ApplyOptions(context.EditOptions, {TabSheet2, cmbStyles, btnColor, btnImage, btnTable});
  documentStateChanged();
}

void TMainForm::btnSaveClick() { SaveContent(); }

std::string TMainForm::ItemOfContext() const { return editingContext().ContentName; }

bool TMainForm::MayReplaceUnloadedItem(const std::string& body) {
  const bool holdsContent = !content::TrimControl(body).empty();
  std::string question = languageText(
      holdsContent ? LanguageText::UnloadedItemReplace : LanguageText::UnloadedItemReload,
      {editingContext().ContentName});
  // Our own question, in the interface language throughout, with answers
  // that say what they do.
  const ui::Question asked{
      std::string(languageText(LanguageText::UnloadedItemTitle)),
      std::move(question),
      {{ui::MessageButton::Yes,
        std::string(languageText(holdsContent ? LanguageText::UnloadedItemReplaceButton
                                              : LanguageText::UnloadedItemReloadButton)),
        holdsContent ? "Replace" : "Load Again"},
       {ui::MessageButton::No, std::string(languageText(LanguageText::UnloadedItemCancelButton)),
        "Cancel"}}};
  if (ui::platform().messageBoxes().ask(asked) != ui::MessageButton::Yes) return false;
  if (!holdsContent) {
    btnLoadClick();
    return false;
  }
  // Stored on the user's word: from now on the editor holds the item.
  LoadedItem = ItemOfContext();
  return true;
}

void TMainForm::SaveContent() {
  RequestScope running(RequestsRunning);
  EditingContext& context = editingContext();
  placeStatusPanel();
  context.SaveSucceeded = false;
  if (PageControl.activePageIndex() == 0) {
    ui::EditingSurface& surface = DHTMLEdit();
    context.ContentBody = content::ExtractBody(surface.FilterSourceCode(surface.DocumentHTML()));
  } else {
    context.ContentBody = mmoHTML.text();
  }
  if (LoadedItem && *LoadedItem != ItemOfContext() &&
      !MayReplaceUnloadedItem(context.ContentBody)) {
    return;
  }
  // What the view held: once stored, edits after it are the unsaved ones.
  std::optional<BodySnapshot> sentView = journalSnapshot();
  // The journal compares with the view, whose image addresses the
  // transfer does not rewrite, in the form its reference was taken in;
  // without a journal the copy is not made.
  const std::string viewBody = !journal_  ? std::string()
                               : sentView ? finishedBody(*sentView)
                                          : content::ReduceCrLf(context.ContentBody);
  if (!TransferImages()) return;

  exchange::ShownStatus shown(StatusDisplay, "Saving Content \"" + context.ContentName + "\" ...");
  content::ReduceCrLfInPlace(context.ContentBody);
  if (journal_) journal_->saving(viewBody);
  // The form is encoded while it goes out and the window stays alive
  // meanwhile: an edit in the HTML view may replace the context's texts
  // before the last byte is sent. The post reads copies of its own.
  const std::string name = context.ContentName;
  const std::string body = context.ContentBody;
  const std::string token = context.AuthToken;
  const exchange::FormLine fields[] = {
      {"content=", name, true},
      {"htmlsource=", body, true},
      {"auth=", token, false},
      {"edtype=ax", {}, false},
  };
  try {
    std::string response;
    IdHTTP.Request.ContentType = "application/x-www-form-urlencoded";
    IdHTTP.Post(context.BaseUrl + "/" + "edit.php", fields, response);
    if (content::ServerAcknowledged(response)) {
      context.SaveSucceeded = true;
      if (journal_) journal_->saved(viewBody);
      takeSavedBody(std::move(sentView));
      DeleteUnusedImages();
    } else {
      ui::platform().messageBoxes().warning(content::ServerResponseMessage(response));
    }
  } catch (const std::exception& failure) {
    ui::platform().messageBoxes().warning(failure.what());
  }
  documentStateChanged();
}

}  // namespace pellora
