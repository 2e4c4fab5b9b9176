#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "journal/draft_file.h"
#include "journal/journal_store.h"
#include "settings/file_io.h"

namespace pellora::journal {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::size_t kMaxDraftBytes = std::size_t{1} << 30;

[[noreturn]] void fail(const std::string& what, const fs::path& file, int error) {
  throw std::runtime_error(what + " " + file.string() + ": " + std::strerror(error));
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Removes the temporary file unless the rename took it.
class TemporaryName {
 public:
  explicit TemporaryName(std::string path) : path_(std::move(path)) {}
  ~TemporaryName() {
    if (!committed_) ::unlink(path_.c_str());
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;
  const std::string& path() const { return path_; }
  void committed() { committed_ = true; }

 private:
  std::string path_;
  bool committed_ = false;
};

std::string stamp(JournalStore::Clock::time_point now) {
  return std::to_string(
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());
}

}  // namespace

JournalStore::JournalStore(fs::path folder) : folder_(std::move(folder)) {}

bool JournalStore::keepsDrafts() { return true; }

fs::path JournalStore::defaultFolder() {
  fs::path state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && fs::path(xdg).is_absolute()) {
    state = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = ::getpwuid(::getuid());
      home = user ? user->pw_dir : "/";
    }
    state = fs::path(home) / ".local" / "state";
  }
  return state / "pellora" / "journal";
}

void JournalStore::ensureFolder() {
  // Each level made private as it is created; an existing folder is left as
  // its owner set it.
  fs::path partial;
  for (const fs::path& part : folder_) {
    partial /= part;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      fail("cannot create the folder", partial, errno);
    }
  }
}

void JournalStore::write(const std::string& name, std::string_view bytes) {
  ensureFolder();
  const fs::path target = folder_ / name;
  std::string pattern = (folder_ / (name + std::string(kTemporaryMark) + "XXXXXX")).string();
  settings::FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd.valid()) fail("cannot create a temporary file in", folder_, errno);
  TemporaryName temporary(pattern);
  if (::fchmod(fd.get(), 0600) != 0 || !writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    fail("cannot write", temporary.path(), errno);
  }
  if (::close(fd.release()) != 0) fail("cannot write", temporary.path(), errno);
  if (::rename(temporary.path().c_str(), target.c_str()) != 0)
    fail("cannot replace", target, errno);
  temporary.committed();
  // The rename reaches the disk only with the folder.
  settings::FileDescriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

std::optional<std::string> JournalStore::read(const std::string& name) const {
  const fs::path file = folder_ / name;
  settings::FileContent content = settings::readWholeFile(file, kMaxDraftBytes);
  switch (content.status) {
    case settings::FileContent::Status::Missing:
      return std::nullopt;
    case settings::FileContent::Status::Failed:
      throw std::runtime_error(content.error);
    case settings::FileContent::Status::Read:
      break;
  }
  if (content.bytes.size() > kMaxDraftBytes) {
    throw std::runtime_error("the draft " + file.string() + " is too large");
  }
  return std::move(content.bytes);
}

bool JournalStore::remove(const std::string& name) {
  const fs::path file = folder_ / name;
  if (::unlink(file.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  fail("cannot remove", file, errno);
}

fs::path JournalStore::setAside(const std::string& name, Clock::time_point now) {
  const fs::path file = folder_ / name;
  const std::string base = file.string() + ".unreadable-" + stamp(now);
  for (int number = 0; number < 1000; ++number) {
    const fs::path aside =
        number == 0 ? fs::path(base) : fs::path(base + "." + std::to_string(number));
    // link() never replaces a name; the draft's own name goes afterwards.
    if (::link(file.c_str(), aside.c_str()) == 0) {
      ::unlink(file.c_str());
      return aside;
    }
    if (errno == EEXIST) continue;
    struct stat info {};
    if (::lstat(aside.c_str(), &info) == 0) continue;
    if (::rename(file.c_str(), aside.c_str()) == 0) return aside;
    fail("cannot put aside", file, errno);
  }
  throw std::runtime_error("no free name to put " + file.string() + " aside");
}

int JournalStore::prune(Clock::time_point now, std::chrono::hours maxAge) {
  std::error_code error;
  fs::directory_iterator entries(folder_, error);
  if (error) return 0;  // no folder yet: nothing to prune
  const auto seconds = [](Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
  };
  const auto draftLimit = seconds(now - maxAge);
  const auto temporaryLimit = seconds(now - std::chrono::hours(1));
  int removed = 0;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    const bool draft =
        name.size() > kDraftSuffix.size() &&
        name.compare(name.size() - kDraftSuffix.size(), kDraftSuffix.size(), kDraftSuffix) == 0;
    const bool temporary =
        name.find(std::string(kDraftSuffix) + std::string(kTemporaryMark)) != std::string::npos;
    if (!draft && !temporary) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (info.st_mtime >= (draft ? draftLimit : temporaryLimit)) continue;
    if (::unlink(entry.path().c_str()) == 0 && draft) ++removed;
  }
  return removed;
}

}  // namespace pellora::journal
