// The editor's side of the journal of unsaved edits: the body snapshot it
// takes, the offer of a draft after a load, and restoring it.
#include <algorithm>
#include <ctime>
#include <exception>

#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"
#include "ui/scope_exit.h"
#include "ui/services.h"

namespace pellora {

namespace {

constexpr int kHtmlPage = 1;

std::string localTime(std::int64_t secondsSinceEpoch) {
  const auto seconds = static_cast<std::time_t>(secondsSinceEpoch);
  // std::localtime's shared result is safe here: only the UI thread asks.
  const std::tm* local = std::localtime(&seconds);
  if (!local) return std::to_string(secondsSinceEpoch);
  char text[64];
  const std::string format(languageText(LanguageText::DraftTimeFormat));
  const std::size_t length = std::strftime(text, sizeof text, format.c_str(), local);
  return std::string(text, length);
}

// Each answer says what it does, in the interface language; the names stay
// the same in every language for scripts.
ui::Question draftQuestion(std::string text) {
  return {std::string(languageText(LanguageText::DraftRestoreTitle)),
          std::move(text),
          {{ui::MessageButton::Yes, std::string(languageText(LanguageText::DraftRestoreButton)),
            "Restore"},
           {ui::MessageButton::No, std::string(languageText(LanguageText::DraftDiscardButton)),
            "Discard"},
           {ui::MessageButton::Cancel, std::string(languageText(LanguageText::DraftLaterButton)),
            "Later"}}};
}

}  // namespace

void TMainForm::startJournal() {
  if (!journal::JournalStore::keepsDrafts()) return;
  journal_ = std::make_unique<DraftJournal>(DraftJournal::defaultSetup(),
                                            [this] { return journalSnapshot(); });
  journal_->onWritesDone([this] { reportJournalFailure(); });
}

std::optional<BodySnapshot> TMainForm::journalSnapshot() {
  // The HTML view's text is `ContentBody` keystroke by keystroke. Until it
  // is edited it shows the visual view's document in the author's spelling,
  // which is compared in the form the reference was taken in.
  if (PageControl.activePageIndex() == kHtmlPage && SourceModified) {
    return BodySnapshot{editingContext().ContentBody, BodySnapshot::Kind::Body};
  }
  ui::EditingSurface& surface = DHTMLEdit();
  ui::HtmlDocument* document = surface.DOM();
  if (surface.Busy() || !document) return std::nullopt;
  // The surface keeps the body between changes, while the whole document
  // would be serialised afresh; its own additions are filtered as a save
  // filters them, and the writer puts it in the template to extract it.
  return BodySnapshot{surface.FilterSourceCode(document->bodyInnerHTML()),
                      BodySnapshot::Kind::VisualBody};
}

void TMainForm::journalChanged() {
  if (!journal_) return;
  reportJournalFailure();
  journal_->changed();
}

void TMainForm::journalDocumentCompleted() {
  if (!journal_) return;
  reportJournalFailure();
  DraftJournal::Found found;
  try {
    found = journal_->documentCompleted();
  } catch (const std::exception& failure) {
    // Not even put aside: the file stays where it is.
    const std::string name = journal_->key() ? journal_->key()->contentName : std::string();
    ui::platform().messageBoxes().warning(
        fillIn(languageText(LanguageText::DraftNotWritten), {name, failure.what()}));
    return;
  }
  if (found.refusedFolder) {
    ui::platform().messageBoxes().warning(
        fillIn(languageText(LanguageText::DraftFolderRefused), {found.refusedFolder->string()}));
  }
  for (const DraftJournal::Unreadable& unreadable : found.unreadable) {
    ui::platform().messageBoxes().warning(
        fillIn(languageText(LanguageText::DraftUnreadable),
               {journal_->key()->contentName, unreadable.problem, unreadable.aside.string()}));
  }
  offerDrafts(found.drafts);
}

void TMainForm::offerDrafts(const std::vector<DraftJournal::Offered>& drafts) {
  const ui::ScopeExit answered([this] { journal_->answered(); });
  // Newest first; Discard goes on to the next older one.
  for (auto draft = drafts.begin(); draft != drafts.end(); ++draft) {
    std::string question =
        fillIn(languageText(LanguageText::DraftRestoreQuestion),
               {draft->draft.key.contentName, localTime(draft->draft.writtenAt)});
    if (const auto older = drafts.end() - draft - 1; older > 0) {
      question += fillIn(languageText(LanguageText::DraftOlderOnes), {std::to_string(older)});
    }
    switch (ui::platform().messageBoxes().ask(draftQuestion(std::move(question)))) {
      case ui::MessageButton::Yes:
        journal_->restored(*draft);
        restoreDraft(draft->draft.body);
        return;
      case ui::MessageButton::No:
        journal_->discarded(*draft);
        break;
      default:
        std::for_each(draft, drafts.end(), [this](const auto& kept) { journal_->deferred(kept); });
        return;
    }
  }
}

void TMainForm::restoreDraft(const std::string& body) {
  EditingContext& context = editingContext();
  context.ContentBody = body;
  if (PageControl.activePageIndex() == kHtmlPage) {
    mmoHTML.setText(body);
    // An edit of the source like any other: switching back rebuilds the
    // visual view from it.
    SourceModified = true;
    context.ContentBody = body;
  } else {
    DHTMLEdit().setDocumentHTML(wrapInDocumentTemplate(body));
  }
}

void TMainForm::reportJournalFailure() {
  std::optional<std::string> failure = journal_->takeFailure();
  if (!failure || journalFailureShown_) return;
  journalFailureShown_ = true;
  const std::string name = journal_->key() ? journal_->key()->contentName : std::string();
  ui::platform().messageBoxes().warning(
      fillIn(languageText(LanguageText::DraftNotWritten), {name, *failure}));
}

void TMainForm::FormClosing() noexcept {
  if (!journal_) return;
  try {
    journal_->closing();
  } catch (...) {
    // Whatever was written last stays; closing goes on.
  }
}

}  // namespace pellora
