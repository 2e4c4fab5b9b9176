// Covered by tests/images/local_image_test.cpp.
#include "images/local_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "content/cp1252.h"

namespace pellora::images {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Calls `literal` for each byte written as itself and `escaped` for each
// byte written as "%XX".
template <typename Literal, typename Escaped>
void forEachDecoded(std::string_view text, Literal literal, Escaped escaped) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        escaped(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    literal(text[i]);
  }
}

// Closes a descriptor however reading ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

LocalPathForm localPathForm(std::string_view listedPath) {
  return !listedPath.empty() && listedPath.front() == '/' ? LocalPathForm::Posix
                                                          : LocalPathForm::Drive;
}

std::string percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto append = [&out](char c) { out += c; };
  forEachDecoded(text, append, append);
  return out;
}

std::string uploadFileName(std::string_view listedPath) {
  if (localPathForm(listedPath) == LocalPathForm::Drive) return std::string(listedPath);
  return percentDecode(listedPath);
}

std::optional<std::string> fileSystemPath(std::string_view listedPath) {
  if (localPathForm(listedPath) == LocalPathForm::Drive) return std::nullopt;
  std::string out;
  out.reserve(listedPath.size());
  forEachDecoded(
      listedPath,
      [&out](char c) {
        if (static_cast<unsigned char>(c) < 0x80) {
          out += c;
        } else {
          out += content::cp1252ToUtf8(std::string_view(&c, 1));
        }
      },
      [&out](char c) { out += c; });
  return out;
}

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

std::optional<std::string> readListedImage(std::string_view listedPath) {
  const std::optional<std::string> onDisk = fileSystemPath(listedPath);
  if (!onDisk) return std::nullopt;
  return readRegularFile(*onDisk);
}

}  // namespace pellora::images
