// Covered by tests/app/tessaron_server_test.cpp (DiskStore*, Site*) and
// tests/app/tessaron_server_streaming_test.cpp.
#include "app/tessaron_server/content_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "app/tessaron_server/fd.h"

namespace pellora::tessaron {

namespace {

constexpr std::string_view kTemporaryMark = ".tessaron-save-";
constexpr std::size_t kUniqueBytes = 6;  // the XXXXXX mkostemp fills in

// ".<file>.tessaron-save-" and six letters or digits.
bool isTemporaryName(std::string_view name) {
  const std::size_t tail = kTemporaryMark.size() + kUniqueBytes;
  if (name.size() < 2 + tail || name.front() != '.') return false;
  if (name.substr(name.size() - tail, kTemporaryMark.size()) != kTemporaryMark) return false;
  for (char c : name.substr(name.size() - kUniqueBytes)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

class TextReader final : public BodyReader {
 public:
  explicit TextReader(std::string text) : text_(std::move(text)) {}
  std::size_t size() const override { return text_.size(); }
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t n = text_.copy(buffer, capacity, at_);
    at_ += n;
    return n;
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

class FileReader final : public BodyReader {
 public:
  FileReader(Fd fd, std::size_t size) : fd_(std::move(fd)), size_(size) {}
  std::size_t size() const override { return size_; }
  std::size_t read(char* buffer, std::size_t capacity) override {
    capacity = std::min(capacity, size_ - at_);  // no byte beyond the announced size
    while (capacity > 0) {
      const ssize_t n = ::read(fd_.get(), buffer, capacity);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return 0;
      at_ += static_cast<std::size_t>(n);
      return static_cast<std::size_t>(n);
    }
    return 0;
  }

 private:
  Fd fd_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The regular file `file` of `folder` opened for reading, or an invalid Fd.
Fd openRegular(const std::filesystem::path& folder, const std::string& file, struct stat& info) {
  // Non-blocking, so a FIFO planted in the folder cannot hang the open.
  Fd fd(::open((folder / file).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0) return fd;
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return Fd();
  return fd;
}

}  // namespace

std::unique_ptr<BodyReader> ContentStore::open(const std::string& file) {
  std::optional<std::string> bytes = read(file);
  if (!bytes) return nullptr;
  return std::make_unique<TextReader>(std::move(*bytes));
}

std::unique_ptr<BodyReader> DiskContentStore::open(const std::string& file) {
  struct stat info {};
  Fd fd = openRegular(folder_, file, info);
  if (!fd.valid()) return nullptr;
  return std::make_unique<FileReader>(std::move(fd), static_cast<std::size_t>(info.st_size));
}

std::optional<std::string> DiskContentStore::read(const std::string& file) {
  struct stat info {};
  Fd fd = openRegular(folder_, file, info);
  if (!fd.valid()) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

bool ContentStore::writeFrom(const std::string& file, const ByteSource& source) {
  std::string bytes;
  if (!source([&](std::string_view piece) {
        bytes += piece;
        return true;
      })) {
    return false;
  }
  return write(file, bytes);
}

bool DiskContentStore::write(const std::string& file, const std::string& bytes) {
  return writeFrom(file, [&](const ByteSink& sink) { return sink(bytes); });
}

bool DiskContentStore::writeFrom(const std::string& file, const ByteSource& source) {
  // The temporary file lives in the same folder, so the rename stays on one
  // file system and is atomic. Its lock tells a starting server that the
  // file is still being written; it ends with the writer, also a killed one.
  std::string temp =
      (folder_ / ("." + file + std::string(kTemporaryMark) + std::string(kUniqueBytes, 'X')))
          .string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  const auto sink = [&](std::string_view piece) { return writeAll(fd.get(), piece); };
  const bool stored = ::flock(fd.get(), LOCK_EX) == 0 && ::fchmod(fd.get(), 0644) == 0 &&
                      source(sink) && ::fsync(fd.get()) == 0 && fd.close() &&
                      ::rename(temp.c_str(), (folder_ / file).c_str()) == 0;
  if (!stored) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  Fd folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

std::size_t DiskContentStore::removeStaleTemporaries() {
  std::size_t removed = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    if (!isTemporaryName(entry.path().filename().native())) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    Fd fd(::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // still written
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

ContentStore::Removal DiskContentStore::remove(const std::string& file) {
  const std::filesystem::path path = folder_ / file;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return errno == ENOENT ? Removal::Missing : Removal::Failed;
  if (!S_ISREG(info.st_mode)) return Removal::Missing;
  return ::unlink(path.c_str()) == 0 ? Removal::Removed : Removal::Failed;
}

}  // namespace pellora::tessaron
