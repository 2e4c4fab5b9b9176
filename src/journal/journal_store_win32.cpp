// Stub until drafts are written on Windows: the editor starts no journal
// there (keepsDrafts), since its writer thread would be joined while the
// module unloads, under the loader's lock. Should it be used anyway, it
// keeps nothing and says so; reads find no draft.
#include <stdexcept>

#include "journal/journal_store.h"
#include "settings/home_directory.h"

namespace pellora::journal {

namespace fs = std::filesystem;

JournalStore::JournalStore(fs::path folder) : folder_(std::move(folder)) {}

bool JournalStore::keepsDrafts() { return false; }

fs::path JournalStore::defaultFolder() {
  return settings::homeDirectory() / ".local" / "state" / "pellora" / "journal";
}

void JournalStore::ensureFolder() {}

void JournalStore::write(const std::string&, std::string_view) {
  throw std::runtime_error("Drafts of unsaved edits are not kept on this system yet.");
}

std::optional<std::string> JournalStore::read(const std::string&) const { return std::nullopt; }

std::optional<Draft> JournalStore::readDraft(const std::string&) const { return std::nullopt; }

bool JournalStore::remove(const std::string&) { return false; }

bool JournalStore::rename(const std::string&, const std::string&) { return false; }

OwnerMark::~OwnerMark() = default;

std::string JournalStore::newOwner() { return std::string(16, '0'); }

void JournalStore::checkFolder() const {}

std::vector<std::string> JournalStore::names() const { return {}; }

std::unique_ptr<OwnerMark> JournalStore::claimOwner(const std::string&) {
  throw std::runtime_error("Drafts of unsaved edits are not kept on this system yet.");
}

bool JournalStore::ownerRuns(const std::string&) const { return true; }

fs::path JournalStore::setAside(const std::string& name, Clock::time_point) {
  return folder_ / name;
}

int JournalStore::prune(Clock::time_point, std::chrono::hours) { return 0; }

}  // namespace pellora::journal
