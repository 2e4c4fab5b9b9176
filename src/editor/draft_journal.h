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
// Each journal is an owner (journal_store.h): it writes and removes only
// its own draft of an item, and offers only drafts whose owner has gone, so
// two editors on one item never touch each other's edits, and a draft the
// user has not decided on is never overwritten.
//
// Lifecycle of an item's draft:
//   loaded          the item's body arrived; when the document completes,
//                   that body is the reference ("unmodified") and every
//                   draft of the item whose owner has gone is offered,
//                   newest first; nothing is written until the user answers
//   restored        the draft becomes this journal's own
//   discarded       the draft goes
//   deferred        the draft stays as it is, for a later load
//   changed         at most `delay` after a change the body is compared and,
//                   when it differs, written to the own draft
//   saved           the server acknowledged: the own draft goes
//   closing         the last body is compared once more; an unmodified
//                   document's own draft goes, an edited one stays for the
//                   next load to offer
//
// Covered by tests/editor/draft_journal_test.cpp.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

  // A draft left by an editor that has gone.
  struct Offered {
    std::string file;
    journal::Draft draft;
  };
  struct Unreadable {
    std::string problem;          // why
    std::filesystem::path aside;  // where the file went
  };
  // What a completed load finds.
  struct Found {
    std::vector<Offered> drafts;  // newest first
    std::vector<Unreadable> unreadable;
    // The folder, when it is not private: no draft is then read or kept.
    std::optional<std::filesystem::path> refusedFolder;
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
  // body and looks for drafts; until `answered`, nothing is written.
  // Unreadable drafts have been put aside.
  Found documentCompleted();
  // The user put an offered draft into the editor.
  void restored(const Offered& draft);
  // The user threw an offered draft away.
  void discarded(const Offered& draft);
  // The user left an offered draft for a later load.
  void deferred(const Offered& draft);
  // The user has decided on what was offered.
  void answered();

  // Called on the user-interface thread once the writes a change led to
  // are done, so a failure is reported when it happens.
  void onWritesDone(std::function<void()> done) { writesDone_ = std::move(done); }

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
  const std::string& owner() const { return owner_; }

 private:
  // What only the writer thread touches.
  struct WriterSide {
    std::optional<std::string> reference;      // the body as loaded or last saved
    std::optional<std::string> written;        // what the own draft file holds
    std::unique_ptr<journal::OwnerMark> mark;  // taken before the first own draft
  };

  void check();
  void awaitWrites();
  void post(std::function<void(WriterSide&)> task, std::string coalesceKey = {});
  // Writes the body of `snapshot` to the own draft when it differs from the
  // reference and from that draft; removes the own draft when it equals the
  // reference.
  void postBody(BodySnapshot snapshot, std::string coalesceKey = {});
  std::string ownFile() const { return journal::draftFileName(*key_, owner_); }
  void claim(WriterSide& side);

  Setup setup_;
  std::function<std::optional<BodySnapshot>()> snapshot_;
  journal::JournalStore store_;
  const std::string owner_ = journal::JournalStore::newOwner();
  std::optional<journal::DraftKey> key_;
  bool referencePending_ = false;
  bool offerPending_ = false;
  bool folderRefused_ = false;
  std::unique_ptr<ui::Timer> timer_;
  std::unique_ptr<ui::Timer> writesTimer_;
  std::function<void()> writesDone_;
  std::shared_ptr<WriterSide> side_;
  journal::JournalWriter writer_;  // last: joined first, while the rest still exists
};

}  // namespace pellora
