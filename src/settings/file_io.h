// The file operations under the settings store: whole-file reads, atomic
// replacement (temporary file in the same folder, fsync, rename, fsync of
// the folder) and an advisory lock that serialises read-modify-write cycles
// between processes. A crash at any moment leaves either the old file or the
// new one, never a mixture.
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
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
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
FileContent readWholeFile(const std::filesystem::path& file, std::size_t limit);

// Replaces `file` with `bytes` atomically. False (with `error`) on failure,
// in which case `file` is unchanged and no temporary file is left.
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           std::string& error);

}  // namespace pellora::settings
