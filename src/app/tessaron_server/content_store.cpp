// Covered by tests/app/tessaron_server_test.cpp (DiskStore*, Site*).
#include "app/tessaron_server/content_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/tessaron_server/fd.h"

namespace pellora::tessaron {

namespace {

bool writeAll(int fd, const std::string& bytes) {
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

}  // namespace

std::optional<std::string> DiskContentStore::read(const std::string& file) {
  // Non-blocking, so a FIFO planted in the folder cannot hang the open.
  Fd fd(::open((folder_ / file).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
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

bool DiskContentStore::write(const std::string& file, const std::string& bytes) {
  // The temporary file lives in the same folder, so the rename stays on one
  // file system and is atomic.
  std::string temp = (folder_ / ("." + file + ".XXXXXX")).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool stored = ::fchmod(fd.get(), 0644) == 0 && writeAll(fd.get(), bytes) &&
                      ::fsync(fd.get()) == 0 && fd.close() &&
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

ContentStore::Removal DiskContentStore::remove(const std::string& file) {
  const std::filesystem::path path = folder_ / file;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return errno == ENOENT ? Removal::Missing : Removal::Failed;
  if (!S_ISREG(info.st_mode)) return Removal::Missing;
  return ::unlink(path.c_str()) == 0 ? Removal::Removed : Removal::Failed;
}

}  // namespace pellora::tessaron
