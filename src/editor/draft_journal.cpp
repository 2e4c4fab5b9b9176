#include "editor/draft_journal.h"

#include <chrono>

#include "content/extract_body.h"
#include "content/line_ends.h"
#include "exchange/document_template.h"

namespace pellora {

namespace {

constexpr char kWriteKey[] = "draft";

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

DraftJournal::~DraftJournal() { timer_.reset(); }

void DraftJournal::post(std::function<void(WriterSide&)> task, std::string coalesceKey) {
  writer_.post([side = side_, task = std::move(task)] { task(*side); }, std::move(coalesceKey));
}

void DraftJournal::beforeLoad() {
  if (timer_) check();
}

void DraftJournal::itemLoaded(journal::DraftKey key) {
  timer_.reset();
  key_ = std::move(key);
  referencePending_ = true;
  offer_ = Offer::None;
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

  const std::string name = journal::draftFileName(*key_);
  try {
    const std::optional<std::string> bytes = store_.read(name);
    if (!bytes) return found;
    journal::Draft draft = journal::decodeDraft(*bytes);
    if (!(draft.key == *key_)) throw journal::DraftFormatError("it belongs to another item");
    found.kind = Found::Kind::Draft;
    found.draft = std::move(draft);
    offer_ = Offer::Pending;
  } catch (const std::exception& failure) {
    found.kind = Found::Kind::Unreadable;
    found.problem = failure.what();
    found.aside = store_.setAside(name, setup_.now());
  }
  return found;
}

void DraftJournal::restored(const std::string& body) {
  offer_ = Offer::None;
  // The file holds this body already; it stays until a save or a change.
  post([body](WriterSide& side) { side.written = body; });
}

void DraftJournal::discarded() {
  offer_ = Offer::None;
  if (!key_) return;
  post([this, name = journal::draftFileName(*key_)](WriterSide& side) {
    store_.remove(name);
    side.written.reset();
  });
}

void DraftJournal::deferred() { offer_ = Offer::Deferred; }

void DraftJournal::changed() {
  if (!key_ || referencePending_ || offer_ == Offer::Pending || timer_ || !setup_.timers) return;
  // Not restarted by later changes, so steady typing is kept every `delay`.
  timer_ = setup_.timers->startTimer(setup_.delay, [this] {
    // The timer fired and is spent; a change from here on starts a new one.
    std::unique_ptr<ui::Timer> spent = std::move(timer_);
    check();
  });
}

void DraftJournal::check() {
  timer_.reset();
  if (!key_ || referencePending_ || offer_ == Offer::Pending) return;
  std::optional<BodySnapshot> snapshot = snapshot_();
  if (!snapshot) {
    changed();  // try again once the document has settled
    return;
  }
  // Back to the body as loaded: only a draft of this session goes, a
  // deferred one of an earlier session stays.
  postBody(std::move(*snapshot), Unmodified::RemoveOwnDraft, kWriteKey);
}

void DraftJournal::postBody(BodySnapshot snapshot, Unmodified whenUnmodified,
                            std::string coalesceKey) {
  post(
      [this, key = *key_, snapshot = std::move(snapshot), whenUnmodified](WriterSide& side) {
        if (!side.reference) return;
        std::string body = finishedBody(snapshot);
        const std::string name = journal::draftFileName(key);
        if (body == *side.reference) {
          if (whenUnmodified == Unmodified::RemoveDraft ||
              (whenUnmodified == Unmodified::RemoveOwnDraft && side.written)) {
            store_.remove(name);
            side.written.reset();
          }
          return;
        }
        if (side.written == body) return;
        store_.write(name, journal::encodeDraft({key, secondsOf(setup_.now()), body}));
        side.written = std::move(body);
      },
      std::move(coalesceKey));
}

void DraftJournal::saving(const std::string& body) {
  if (!key_ || referencePending_) return;
  timer_.reset();
  postBody({body, BodySnapshot::Kind::Body}, Unmodified::RemoveOwnDraft, kWriteKey);
}

void DraftJournal::saved(const std::string& body) {
  if (!key_) return;
  post([this, name = journal::draftFileName(*key_), body](WriterSide& side) {
    side.reference = body;
    side.written.reset();
    store_.remove(name);
  });
}

void DraftJournal::closing() {
  timer_.reset();
  if (!key_ || referencePending_) return;
  std::optional<BodySnapshot> snapshot = snapshot_();
  if (!snapshot) return;  // mid-load: what was written last stays
  postBody(std::move(*snapshot),
           offer_ == Offer::None ? Unmodified::RemoveDraft : Unmodified::RemoveOwnDraft);
}

std::optional<std::string> DraftJournal::takeFailure() { return writer_.takeFailure(); }

}  // namespace pellora
