#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "settings/file_io.h"

namespace pellora::settings {

namespace {

std::string describe(const std::string& what, const std::filesystem::path& path, int error) {
  return what + " " + path.string() + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  void committed() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

void FileDescriptor::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::optional<FileLock> FileLock::acquire(const std::filesystem::path& lockFile,
                                          std::string& error) {
  FileDescriptor fd(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd.valid()) {
    error = describe("cannot create", lockFile, errno);
    return std::nullopt;
  }
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      error = describe("cannot lock", lockFile, errno);
      return std::nullopt;
    }
  }
  return FileLock(std::move(fd));
}

FileContent readWholeFile(const std::filesystem::path& file, std::size_t limit) {
  FileContent content;
  // Without O_NONBLOCK, opening a named pipe would wait for a writer.
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    // A folder on the way that is a file: nothing can be stored there.
    if (errno == ENOENT || errno == ENOTDIR) return content;
    content.status = FileContent::Status::Failed;
    content.error = describe("cannot open", file, errno);
    return content;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    content.status = FileContent::Status::Failed;
    content.error = "not a regular file: " + file.string();
    return content;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      content.status = FileContent::Status::Failed;
      content.error = describe("cannot read", file, errno);
      return content;
    }
    if (got == 0) break;
    content.bytes.append(buffer, static_cast<std::size_t>(got));
    if (content.bytes.size() > limit) break;
  }
  content.status = FileContent::Status::Read;
  return content;
}

bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           std::string& error) {
  const std::optional<std::filesystem::path> target = resolveLinks(file);
  if (!target) {
    error = describe("cannot follow the links of", file, ELOOP);
    return false;
  }
  struct stat old {};
  const bool replacing = ::stat(target->c_str(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = replacing ? old.st_mode & 07777 : 0644;

  const std::filesystem::path folder = target->parent_path();
  std::string pattern = (folder / ("." + target->filename().string() + ".XXXXXX")).string();
  FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd.valid()) {
    error = describe("cannot create a temporary file in", folder, errno);
    return false;
  }
  TemporaryFile temporary(pattern);
  if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Only a privileged process may give the file away; for everyone else
    // the new file is their own, as with any editor that saves by renaming.
    [[maybe_unused]] const int given = ::fchown(fd.get(), old.st_uid, old.st_gid);
  }
  // After the owner: a change of owner clears the set-id bits.
  if (!writeAll(fd.get(), bytes) || ::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) {
    error = describe("cannot write", temporary.path(), errno);
    return false;
  }
  if (::close(fd.release()) != 0) {
    error = describe("cannot write", temporary.path(), errno);
    return false;
  }
  if (::rename(temporary.path().c_str(), target->c_str()) != 0) {
    error = describe("cannot replace", *target, errno);
    return false;
  }
  temporary.committed();
  // The rename itself reaches the disk only with the folder.
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
  return true;
}

bool keepCopy(const std::filesystem::path& file, const std::string& suffix, std::string& error) {
  constexpr int kMaxCopies = 10000;
  const std::optional<std::filesystem::path> target = resolveLinks(file);
  if (!target) {
    error = describe("cannot follow the links of", file, ELOOP);
    return false;
  }
  for (int number = 0; number < kMaxCopies; ++number) {
    std::filesystem::path copy = *target;
    copy += suffix;
    if (number > 0) copy += "." + std::to_string(number);
    // link() never replaces an existing name.
    if (::link(target->c_str(), copy.c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    // A folder without hard links: move the file aside (the caller holds
    // the store's lock, so the free name stays free).
    struct stat info {};
    if (::lstat(copy.c_str(), &info) == 0) continue;
    if (::rename(target->c_str(), copy.c_str()) == 0) return true;
    error = describe("cannot keep a copy of", *target, errno);
    return false;
  }
  error = "no free name for a copy of " + target->string();
  return false;
}

}  // namespace pellora::settings
