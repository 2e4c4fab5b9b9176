// Reading a local image file with Windows calls: the UTF-8 path becomes a
// wide path, so names outside the ANSI code page open too.
#include <windows.h>

#include <filesystem>

#include "images/local_image.h"

namespace pellora::images {

namespace {

// Closes a handle however reading ends.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

bool driveFormIsLocal() { return true; }

std::optional<std::string> readRegularFile(const std::string& path) {
  // A NUL would cut the path short and name another file.
  if (path.find('\0') != std::string::npos) return std::nullopt;
  const std::filesystem::path wide(std::u8string(path.begin(), path.end()));
  const FileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  // Folders do not open without backup semantics; devices and pipes are
  // not disk files.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    content.append(buffer, got);
  }
  return content;
}

}  // namespace pellora::images
