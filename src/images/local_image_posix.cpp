// Reading a local image file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "images/local_image.h"
#include "settings/file_io.h"

namespace pellora::images {

using settings::FileDescriptor;

bool driveFormIsLocal() { return false; }

std::optional<std::string> readRegularFile(const std::string& path) {
  // A NUL would cut the path short and name another file.
  if (path.find('\0') != std::string::npos) return std::nullopt;
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

}  // namespace pellora::images
