// The folder of draft files: atomic replacement (temporary file beside the
// draft, fsync, rename, fsync of the folder) at mode 0600 in a folder of
// mode 0700, whole-file reads, removal, putting an unreadable draft aside
// under another name, and removing drafts older than a given age. A crash
// at any moment leaves the old draft or the new one, never a mixture.
//
// Failures throw std::runtime_error with the file and the reason.
//
// Covered by tests/journal/journal_store_test.cpp.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::journal {

class JournalStore {
 public:
  using Clock = std::chrono::system_clock;

  explicit JournalStore(std::filesystem::path folder);

  // ${XDG_STATE_HOME}/pellora/journal when XDG_STATE_HOME is an absolute
  // path, else ~/.local/state/pellora/journal.
  static std::filesystem::path defaultFolder();
  // Whether this system keeps drafts at all (not yet on Windows).
  static bool keepsDrafts();

  const std::filesystem::path& folder() const { return folder_; }

  // Replaces (or creates) the file `name` with `bytes`.
  void write(const std::string& name, std::string_view bytes);
  // The file's bytes, or nullopt when there is none.
  std::optional<std::string> read(const std::string& name) const;
  // True when a file was removed.
  bool remove(const std::string& name);
  // Renames `name` to "<name>.unreadable-<stamp>" (or the first free
  // variant) and returns the new path; such files are never pruned.
  std::filesystem::path setAside(const std::string& name, Clock::time_point now);
  // Removes drafts last written before `now - maxAge`, and temporary files
  // a killed writer left behind an hour or more ago. Returns the drafts
  // removed.
  int prune(Clock::time_point now, std::chrono::hours maxAge);

 private:
  void ensureFolder();
  std::filesystem::path folder_;
};

}  // namespace pellora::journal
