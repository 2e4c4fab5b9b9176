#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

#include "journal/draft_file.h"
#include "journal/journal_store.h"
#include "settings/file_io.h"

namespace pellora::journal {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::string_view kLockSuffix = ".lock";
// Far more than any real header: a longer one is refused unread.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

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

bool endsWith(const std::string& name, std::string_view suffix) {
  return name.size() > suffix.size() && name.ends_with(suffix);
}

// Reads up to `limit` bytes from where `fd` stands; fewer only at the end.
std::string readUpTo(int fd, std::size_t limit, const fs::path& file) {
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, bytes.data() + got, limit - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot read", file, errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

// Opens an existing file of the folder for reading: never through a link,
// never waiting on a pipe; only a regular file. An invalid descriptor when
// there is none.
settings::FileDescriptor openExisting(const fs::path& file, struct stat& info) {
  settings::FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return fd;
    if (errno == ELOOP) throw DraftFormatError("it is a symbolic link");
    fail("cannot open", file, errno);
  }
  if (::fstat(fd.get(), &info) != 0) fail("cannot read", file, errno);
  if (!S_ISREG(info.st_mode)) throw DraftFormatError("it is not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > JournalStore::kMaxDraftBytes) {
    throw DraftFormatError("it is larger than any draft (" + std::to_string(info.st_size) +
                           " bytes)");
  }
  return fd;
}

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

OwnerMark::~OwnerMark() {
  // Unlinked while still locked: an editor that opens it meanwhile finds
  // the lock free once this one is gone, as it should.
  ::unlink(file_.c_str());
}

std::string JournalStore::newOwner() {
  std::random_device random;
  std::uint64_t value = (std::uint64_t{random()} << 32) ^ random();
  constexpr char kHex[] = "0123456789abcdef";
  std::string owner(16, '0');
  for (char& digit : owner) {
    digit = kHex[value & 15];
    value >>= 4;
  }
  return owner;
}

void JournalStore::checkFolder() const {
  struct stat info {};
  if (::lstat(folder_.c_str(), &info) != 0) {
    if (errno == ENOENT) return;
    fail("cannot look at the folder", folder_, errno);
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    throw JournalFolderError(folder_.string());
  }
}

std::vector<std::string> JournalStore::names() const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entries(folder_, error), end; !error && entries != end;
       entries.increment(error)) {
    names.push_back(entries->path().filename().string());
  }
  return names;
}

void JournalStore::ensureFolder() {
  // Each level made private as it is created; levels above the journal
  // folder are left as their owner set them, the folder itself must be
  // private.
  fs::path partial;
  for (const fs::path& part : folder_) {
    partial /= part;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      fail("cannot create the folder", partial, errno);
    }
  }
  checkFolder();
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
  struct stat info {};
  const settings::FileDescriptor fd = openExisting(file, info);
  if (!fd.valid()) return std::nullopt;
  return readUpTo(fd.get(), static_cast<std::size_t>(info.st_size), file);
}

std::optional<Draft> JournalStore::readDraft(const std::string& name) const {
  const fs::path file = folder_ / name;
  struct stat info {};
  const settings::FileDescriptor fd = openExisting(file, info);
  if (!fd.valid()) return std::nullopt;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  std::string head = readUpTo(fd.get(), std::min<std::size_t>(size, kMaxHeaderBytes), file);
  DraftHeader header = decodeDraftHeader(head);
  if (header.headerLength + header.bodyLength != size) {
    throw DraftFormatError("the body is cut off or too long");
  }
  std::string body = head.substr(header.headerLength);
  body += readUpTo(fd.get(), header.bodyLength - body.size(), file);
  return completeDraft(std::move(header), std::move(body));
}

bool JournalStore::remove(const std::string& name) {
  const fs::path file = folder_ / name;
  if (::unlink(file.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  fail("cannot remove", file, errno);
}

bool JournalStore::rename(const std::string& from, const std::string& to) {
  if (::rename((folder_ / from).c_str(), (folder_ / to).c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  fail("cannot rename", folder_ / from, errno);
}

std::unique_ptr<OwnerMark> JournalStore::claimOwner(const std::string& owner) {
  ensureFolder();
  const fs::path file = folder_ / (owner + std::string(kLockSuffix));
  settings::FileDescriptor fd(
      ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.valid()) fail("cannot create", file, errno);
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) fail("cannot lock", file, errno);
  return std::make_unique<OwnerMark>(file, std::move(fd));
}

bool JournalStore::ownerRuns(const std::string& owner) const {
  const fs::path file = folder_ / (owner + std::string(kLockSuffix));
  const settings::FileDescriptor fd(
      ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return errno != ENOENT;
  return ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0;
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
  try {
    checkFolder();
  } catch (const JournalFolderError&) {
    return 0;  // not ours to tidy
  }
  const auto seconds = [](Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
  };
  const auto draftLimit = seconds(now - maxAge);
  const auto leftoverLimit = seconds(now - std::chrono::hours(1));
  int removed = 0;
  for (const std::string& name : names()) {
    const bool draft = endsWith(name, kDraftSuffix);
    const bool temporary =
        name.find(std::string(kDraftSuffix) + std::string(kTemporaryMark)) != std::string::npos;
    const bool lock = endsWith(name, kLockSuffix) && isDraftOwner(std::string_view(name).substr(
                                                         0, name.size() - kLockSuffix.size()));
    if (!draft && !temporary && !lock) continue;
    const fs::path path = folder_ / name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (info.st_mtime >= (draft ? draftLimit : leftoverLimit)) continue;
    if (lock && ownerRuns(name.substr(0, name.size() - kLockSuffix.size()))) continue;
    if (::unlink(path.c_str()) == 0 && draft) ++removed;
  }
  return removed;
}

}  // namespace pellora::journal
