// The journal of unsaved edits for one editor form: it decides when the
// current body is worth keeping as a draft and when a draft goes, and hands
// every file operation to a writer thread.
//
// The user-interface thread only takes a cheap snapshot of the body (the
// visual view's cached body text or the HTML view's text); the writer
// thread turns it into the body a save would send (body extraction, LF line
// ends), compares it with what was loaded or last saved and with what the
// draft file already holds, and writes or removes the file.
//
// Lifecycle of an item's draft:
//   loaded          the item's body arrived; when the document completes,
//                   that body is the reference ("unmodified") and a draft
//                   left by an earlier session is offered (Offer::Pending)
//   changed         at most `delay` after a change the body is compared and,
//                   when it differs, written
//   saved           the server acknowledged: the draft goes
//   closing         the last body is compared once more; an unmodified
//                   document's draft goes, unless a draft of an earlier
//                   session was neither restored nor discarded
//
// Covered by tests/editor/draft_journal_test.cpp.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "journal/draft_file.h"
#include "journal/journal_store.h"
#include "journal/journal_writer.h"
#include "ui/services.h"

namespace pellora {

// The body as the user-interface thread can take it cheaply.
struct BodySnapshot {
  enum class Kind {
    // The visual view's body element, filtered of the surface's additions;
    // a save would extract the same from the whole document.
    VisualBody,
    // The body already (the HTML view's text, or what a save sends).
    Body,
  };
  std::string text;
  Kind kind = Kind::Body;
};

// The body a save would send for `snapshot`.
std::string finishedBody(const BodySnapshot& snapshot);

class DraftJournal {
 public:
  using Clock = journal::JournalStore::Clock;
  struct Setup {
    std::filesystem::path folder;
    std::function<Clock::time_point()> now;  // called from both threads
    ui::Timers* timers = nullptr;            // none: drafts are kept only on save and close
    std::chrono::milliseconds delay{1000};
    std::chrono::hours maxAge{24 * 30};
  };
  // The journal of this process: the default folder, the system clock and
  // the platform's timers.
  static Setup defaultSetup();

  // What a completed load finds.
  struct Found {
    enum class Kind { Nothing, Draft, Unreadable } kind = Kind::Nothing;
    journal::Draft draft;         // for Draft
    std::string problem;          // for Unreadable: why
    std::filesystem::path aside;  // for Unreadable: where the file went
  };

  // `snapshot` is called on the user-interface thread; nullopt when the
  // body cannot be taken just now (a document still loading).
  DraftJournal(Setup setup, std::function<std::optional<BodySnapshot>()> snapshot);
  // Waits for the writer.
  ~DraftJournal();
  DraftJournal(const DraftJournal&) = delete;
  DraftJournal& operator=(const DraftJournal&) = delete;

  // A load is about to replace the document: what is pending of the current
  // item is taken now.
  void beforeLoad();
  // A load fetched the body of `key`; the next completed document shows it.
  void itemLoaded(journal::DraftKey key);
  // The visual view completed a document. After a load, takes the reference
  // body and looks for a draft; a draft found waits for `restored`,
  // `discarded` or `deferred`. An unreadable draft has been put aside.
  Found documentCompleted();
  // The user put the offered draft into the editor.
  void restored(const std::string& body);
  // The user threw the offered draft away.
  void discarded();
  // The user left the offered draft for later: it stays untouched until
  // the document is changed.
  void deferred();

  // The document may have changed.
  void changed();
  // A save is about to send what the view holds, `body` (LF line ends):
  // kept as the draft if the save fails.
  void saving(const std::string& body);
  // The server acknowledged a save of what the view held, `body`.
  void saved(const std::string& body);
  // The editor is being closed.
  void closing();

  // A failure of the writer since the last call, to be reported once.
  std::optional<std::string> takeFailure();
  // Blocks until the writer has done everything asked so far.
  void flush() { writer_.flush(); }
  bool timerRunning() const { return timer_ != nullptr; }
  const std::optional<journal::DraftKey>& key() const { return key_; }

 private:
  enum class Offer { None, Pending, Deferred };
  // What only the writer thread touches.
  struct WriterSide {
    std::optional<std::string> reference;  // the body as loaded or last saved
    std::optional<std::string> written;    // what this session's draft file holds
  };

  // What a body equal to the reference does to the draft file.
  enum class Unmodified { RemoveOwnDraft, RemoveDraft };

  void check();
  void post(std::function<void(WriterSide&)> task, std::string coalesceKey = {});
  // Writes the body of `snapshot` when it differs from the reference and
  // from the draft file.
  void postBody(BodySnapshot snapshot, Unmodified whenUnmodified, std::string coalesceKey = {});

  Setup setup_;
  std::function<std::optional<BodySnapshot>()> snapshot_;
  journal::JournalStore store_;
  std::optional<journal::DraftKey> key_;
  bool referencePending_ = false;
  Offer offer_ = Offer::None;
  std::unique_ptr<ui::Timer> timer_;
  std::shared_ptr<WriterSide> side_;
  journal::JournalWriter writer_;  // last: joined first, while the rest still exists
};

}  // namespace pellora
