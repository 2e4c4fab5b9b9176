// Covered by tests/app/tessaron_server_upload_test.cpp (BodyIntake*) and
// tests/app/tessaron_server_large_body_test.cpp.
#include "app/tessaron_server/spool_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace pellora::tessaron {

std::filesystem::path SpoolFile::defaultFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path("/tmp") : folder;
}

std::optional<SpoolFile> SpoolFile::create(const std::filesystem::path& folder) {
  // O_EXCL: the file can never be given a name later.
  Fd fd(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600));
  if (fd.valid()) return SpoolFile(std::move(fd));
  std::string name = (folder / "tessaron-body-XXXXXX").string();
  fd = Fd(::mkostemp(name.data(), O_CLOEXEC));  // exclusively, mode 0600
  if (!fd.valid() || ::unlink(name.c_str()) != 0) return std::nullopt;
  return SpoolFile(std::move(fd));
}

bool SpoolFile::append(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd_.get(), bytes.data(), bytes.size(), static_cast<off_t>(size_));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    size_ += static_cast<std::size_t>(n);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool SpoolFile::read(std::size_t offset, std::size_t size, const ByteSink& sink) const {
  if (offset > size_ || size > size_ - offset) return false;
  constexpr std::size_t kPiece = 64 * 1024;
  std::vector<char> piece(std::min(size, kPiece));
  while (size > 0) {
    const ssize_t n =
        ::pread(fd_.get(), piece.data(), std::min(size, kPiece), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    const auto got = static_cast<std::size_t>(n);
    if (!sink(std::string_view(piece.data(), got))) return false;
    offset += got;
    size -= got;
  }
  return true;
}

}  // namespace pellora::tessaron
