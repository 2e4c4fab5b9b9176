// The folder of draft files: atomic replacement (temporary file beside the
// draft, fsync, rename, fsync of the folder) at mode 0600 in a folder of
// mode 0700, bounded reads, removal, putting an unreadable draft aside
// under another name, and removing drafts older than a given age. A crash
// at any moment leaves the old draft or the new one, never a mixture.
//
// Anything in the folder may have been put there by someone else: a folder
// that is not this user's own and private is refused, links are never
// followed, and a draft's header and size are checked before its body is
// read.
//
// Each editor marks the drafts it keeps with an owner (see draft_file.h)
// and holds a lock on "<owner>.lock" while it runs; the kernel releases it
// however the editor ends, so another editor can tell a draft whose owner
// still runs from one left behind.
//
// Failures throw std::runtime_error with the file and the reason.
//
// Covered by tests/journal/journal_store_test.cpp.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "journal/draft_file.h"
#include "settings/file_io.h"

namespace pellora::journal {

// The folder exists but is not this user's own with mode 0700.
class JournalFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The lock that says an owner runs. Released, and its file removed, when
// destroyed.
class OwnerMark {
 public:
  OwnerMark(std::filesystem::path file, settings::FileDescriptor fd)
      : file_(std::move(file)), fd_(std::move(fd)) {}
  ~OwnerMark();
  OwnerMark(const OwnerMark&) = delete;
  OwnerMark& operator=(const OwnerMark&) = delete;

 private:
  std::filesystem::path file_;
  settings::FileDescriptor fd_;  // closing it releases the lock
};

class JournalStore {
 public:
  using Clock = std::chrono::system_clock;
  // No real item comes near; a larger file is refused unread.
  static constexpr std::size_t kMaxDraftBytes = std::size_t{64} << 20;

  explicit JournalStore(std::filesystem::path folder);

  // ${XDG_STATE_HOME}/pellora/journal when XDG_STATE_HOME is an absolute
  // path, else ~/.local/state/pellora/journal.
  static std::filesystem::path defaultFolder();
  // Whether this system keeps drafts at all (not yet on Windows).
  static bool keepsDrafts();

  const std::filesystem::path& folder() const { return folder_; }
  // A new owner, unlike any other editor's (16 random hex digits).
  static std::string newOwner();

  // Throws JournalFolderError when the folder exists and is not a folder of
  // this user's with mode 0700; a missing one is made so when written.
  void checkFolder() const;
  // The names in the folder; none when it is missing.
  std::vector<std::string> names() const;

  // Replaces (or creates) the file `name` with `bytes`.
  void write(const std::string& name, std::string_view bytes);
  // The file's bytes, or nullopt when there is none. At most
  // kMaxDraftBytes; a link or anything but a regular file is refused.
  std::optional<std::string> read(const std::string& name) const;
  // The draft in `name`, or nullopt when there is none. Throws
  // DraftFormatError for a file that is no draft, damaged or too large,
  // after reading no more than its header.
  std::optional<Draft> readDraft(const std::string& name) const;
  // True when a file was removed.
  bool remove(const std::string& name);
  // Renames `from` to `to`, replacing it; false when `from` is gone.
  bool rename(const std::string& from, const std::string& to);

  // Takes the lock of `owner`, in a folder made if need be.
  std::unique_ptr<OwnerMark> claimOwner(const std::string& owner);
  // Whether the editor `owner` holds its lock. A lock that cannot be
  // looked at counts as held: such a draft is left alone.
  bool ownerRuns(const std::string& owner) const;
  // Renames `name` to "<name>.unreadable-<stamp>" (or the first free
  // variant) and returns the new path; such files are never pruned.
  std::filesystem::path setAside(const std::string& name, Clock::time_point now);
  // Removes drafts last written before `now - maxAge`, and temporary files
  // and owner locks a killed writer left behind an hour or more ago.
  // Returns the drafts removed.
  int prune(Clock::time_point now, std::chrono::hours maxAge);

 private:
  void ensureFolder();
  std::filesystem::path folder_;
};

}  // namespace pellora::journal
