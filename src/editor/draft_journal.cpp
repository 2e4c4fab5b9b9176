#include "editor/draft_journal.h"

#include <algorithm>
#include <chrono>

#include "content/extract_body.h"
#include "content/line_ends.h"
#include "exchange/document_template.h"

namespace pellora {

namespace {

constexpr char kWriteKey[] = "draft";
constexpr std::chrono::milliseconds kWritesPoll{100};

std::int64_t secondsOf(DraftJournal::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

}  // namespace

std::string finishedBody(const BodySnapshot& snapshot) {
  if (snapshot.kind == BodySnapshot::Kind::Body) return content::ReduceCrLf(snapshot.text);
  // In the document template, as the save's extraction sees the document.
  return content::ReduceCrLf(content::ExtractBody(wrapInDocumentTemplate(snapshot.text)));
}

DraftJournal::Setup DraftJournal::defaultSetup() {
  Setup setup;
  setup.folder = journal::JournalStore::defaultFolder();
  setup.now = [] { return Clock::now(); };
  setup.timers = ui::hasPlatform() ? ui::platform().timers() : nullptr;
  return setup;
}

DraftJournal::DraftJournal(Setup setup, std::function<std::optional<BodySnapshot>()> snapshot)
    : setup_(std::move(setup)),
      snapshot_(std::move(snapshot)),
      store_(setup_.folder),
      side_(std::make_shared<WriterSide>()) {
  if (!setup_.now) setup_.now = [] { return Clock::now(); };
  // Drafts nobody came back for in a month are not coming back.
  post([this, now = setup_.now()](WriterSide&) { store_.prune(now, setup_.maxAge); });
}

DraftJournal::~DraftJournal() {
  timer_.reset();
  writesTimer_.reset();
}

void DraftJournal::post(std::function<void(WriterSide&)> task, std::string coalesceKey) {
  writer_.post([side = side_, task = std::move(task)] { task(*side); }, std::move(coalesceKey));
}

void DraftJournal::claim(WriterSide& side) {
  if (!side.mark) side.mark = store_.claimOwner(owner_);
}

void DraftJournal::beforeLoad() {
  if (timer_) check();
}

void DraftJournal::itemLoaded(journal::DraftKey key) {
  timer_.reset();
  key_ = std::move(key);
  referencePending_ = true;
  offerPending_ = false;
}

DraftJournal::Found DraftJournal::documentCompleted() {
  Found found;
  if (!referencePending_ || !key_) return found;
  const std::optional<BodySnapshot> reference = snapshot_();
  if (!reference) return found;  // still loading: the next completion takes it
  referencePending_ = false;
  post([reference = *reference](WriterSide& side) {
    side.reference = finishedBody(reference);
    side.written.reset();
  });

  try {
    store_.checkFolder();
    folderRefused_ = false;
  } catch (const journal::JournalFolderError&) {
    folderRefused_ = true;
    found.refusedFolder = store_.folder();
    return found;
  }
  for (const std::string& name : store_.names()) {
    const std::optional<std::string> owner = journal::draftFileOwner(*key_, name);
    // The own draft of an earlier load is offered again: its editor moved on.
    if (!owner || (!owner->empty() && *owner != owner_ && store_.ownerRuns(*owner))) continue;
    try {
      std::optional<journal::Draft> draft = store_.readDraft(name);
      if (!draft) continue;  // gone meanwhile
      if (!(draft->key == *key_)) throw journal::DraftFormatError("it belongs to another item");
      found.drafts.push_back({name, std::move(*draft)});
    } catch (const std::exception& failure) {
      found.unreadable.push_back({failure.what(), store_.setAside(name, setup_.now())});
    }
  }
  std::sort(found.drafts.begin(), found.drafts.end(), [](const Offered& a, const Offered& b) {
    return a.draft.writtenAt != b.draft.writtenAt ? a.draft.writtenAt > b.draft.writtenAt
                                                  : a.file < b.file;
  });
  offerPending_ = !found.drafts.empty();
  return found;
}

void DraftJournal::restored(const Offered& draft) {
  post([this, draft, own = ownFile()](WriterSide& side) {
    // Taken over by its name, so no other editor offers it from here on; a
    // draft that went meanwhile is written afresh.
    claim(side);
    if (!store_.rename(draft.file, own)) store_.write(own, journal::encodeDraft(draft.draft));
    side.written = draft.draft.body;
  });
}

void DraftJournal::discarded(const Offered& draft) {
  post([this, file = draft.file, own = ownFile()](WriterSide& side) {
    store_.remove(file);
    if (file == own) side.written.reset();
  });
}

void DraftJournal::deferred(const Offered& draft) {
  if (draft.file != ownFile()) return;  // another's, left as it is
  // This editor's own draft of an earlier load is handed to an owner that
  // never runs, so the next edit cannot overwrite it.
  post([this, file = draft.file,
        orphan =
            journal::draftFileName(*key_, journal::JournalStore::newOwner())](WriterSide& side) {
    store_.rename(file, orphan);
    side.written.reset();
  });
}

void DraftJournal::answered() { offerPending_ = false; }

void DraftJournal::changed() {
  if (!key_ || referencePending_ || offerPending_ || folderRefused_ || timer_ || !setup_.timers)
    return;
  // Not restarted by later changes, so steady typing is kept every `delay`.
  timer_ = setup_.timers->startTimer(setup_.delay, [this] {
    // The timer fired and is spent; a change from here on starts a new one.
    std::unique_ptr<ui::Timer> spent = std::move(timer_);
    check();
  });
}

void DraftJournal::check() {
  timer_.reset();
  if (!key_ || referencePending_ || offerPending_ || folderRefused_) return;
  std::optional<BodySnapshot> snapshot = snapshot_();
  if (!snapshot) {
    changed();  // try again once the document has settled
    return;
  }
  postBody(std::move(*snapshot), kWriteKey);
  awaitWrites();
}

void DraftJournal::awaitWrites() {
  if (writesTimer_ || !writesDone_ || !setup_.timers) return;
  // The writer cannot call into this thread; a short look now and then, only
  // while a write is outstanding.
  writesTimer_ = setup_.timers->startTimer(kWritesPoll, [this] {
    std::unique_ptr<ui::Timer> spent = std::move(writesTimer_);
    if (!writer_.idle()) {
      awaitWrites();
      return;
    }
    writesDone_();
  });
}

void DraftJournal::postBody(BodySnapshot snapshot, std::string coalesceKey) {
  post(
      [this, key = *key_, own = ownFile(), snapshot = std::move(snapshot)](WriterSide& side) {
        if (!side.reference) return;
        std::string body = finishedBody(snapshot);
        if (body == *side.reference) {
          if (side.written) {
            store_.remove(own);
            side.written.reset();
          }
          return;
        }
        if (side.written == body) return;
        claim(side);
        store_.write(own, journal::encodeDraft({key, secondsOf(setup_.now()), body}));
        side.written = std::move(body);
      },
      std::move(coalesceKey));
}

void DraftJournal::saving(const std::string& body) {
  if (!key_ || referencePending_ || folderRefused_) return;
  timer_.reset();
  postBody({body, BodySnapshot::Kind::Body}, kWriteKey);
}

void DraftJournal::saved(const std::string& body) {
  if (!key_) return;
  post([this, own = ownFile(), body](WriterSide& side) {
    side.reference = body;
    side.written.reset();
    store_.remove(own);
  });
}

void DraftJournal::closing() {
  timer_.reset();
  if (!key_ || referencePending_ || folderRefused_) return;
  std::optional<BodySnapshot> snapshot = snapshot_();
  if (!snapshot) return;  // mid-load: what was written last stays
  postBody(std::move(*snapshot));
}

std::optional<std::string> DraftJournal::takeFailure() { return writer_.takeFailure(); }

}  // namespace pellora
