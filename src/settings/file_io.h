// The file operations under the settings store: whole-file reads, atomic
// replacement (temporary file in the same folder, fsync, rename, fsync of
// the folder), keeping copies, and an advisory lock that serialises
// read-modify-write cycles between processes. A crash at any moment leaves
// either the old file or the new one, never a mixture.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::settings {

// Owns a file descriptor.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes the descriptor: the one member that differs by system.
  void reset();

 private:
  int fd_ = -1;
};

// An exclusive flock on a lock file, held for the object's lifetime.
class FileLock {
 public:
  // nullopt when the lock file cannot be created or locked; `error` says why.
  static std::optional<FileLock> acquire(const std::filesystem::path& lockFile, std::string& error);

 private:
  explicit FileLock(FileDescriptor fd) : fd_(std::move(fd)) {}
  FileDescriptor fd_;  // closing it releases the lock
};

struct FileContent {
  enum class Status { Read, Missing, Failed };
  Status status = Status::Missing;
  std::string bytes;
  std::string error;  // for Failed
};

// Reads at most `limit` + 1 bytes, so a caller can tell an oversized file.
// Anything but a regular file (a folder, a named pipe) fails without waiting.
FileContent readWholeFile(const std::filesystem::path& file, std::size_t limit);

// The path `file` leads to once its symbolic links are followed (it need not
// exist); nullopt when the links loop or cannot be read.
std::optional<std::filesystem::path> resolveLinks(const std::filesystem::path& file);

// Replaces `file` with `bytes` atomically. A link stays a link: the file it
// leads to is replaced, from a temporary file beside that one. The new file
// keeps the permission bits of the old one, and its owner and group where
// this process may give them. False (with `error`) on failure, in which case
// `file` is unchanged and no temporary file is left.
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           std::string& error);

// Keeps the file `file` leads to under the first free name of `file`'s
// target + `suffix`, + `suffix` + ".1", ".2", ...; never replaces a file.
// The original stays where it is when the folder takes hard links, and is
// moved otherwise. False (with `error`) when no copy could be kept.
bool keepCopy(const std::filesystem::path& file, const std::string& suffix, std::string& error);

}  // namespace pellora::settings
