// The settings store's file operations with Windows calls. rename() does not
// replace an existing file on Windows, so the atomic replacement moves the
// temporary file over the old one with MoveFileExW. Paths are wide paths.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "settings/file_io.h"

namespace pellora::settings {

namespace {

std::string describe(const std::string& what, const std::filesystem::path& path, DWORD error) {
  return what + " " + path.string() + ": " +
         std::system_category().message(static_cast<int>(error));
}

std::string describeErrno(const std::string& what, const std::filesystem::path& path, int error) {
  return what + " " + path.string() + ": " + std::strerror(error);
}

// Owns a Windows handle.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool close() {
    const bool closed = !valid() || ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Removes the temporary file unless it was moved into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void committed() { path_.clear(); }

 private:
  std::filesystem::path path_;
};

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), piece, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A name no other writer in this or another process picks at the same time.
std::filesystem::path temporaryName(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::wstring name = L".";
  name.append(target.filename().wstring());
  name.append(L".").append(std::to_wstring(::GetCurrentProcessId()));
  name.append(L".").append(std::to_wstring(counter++)).append(L".tmp");
  return target.parent_path() / name;
}

}  // namespace

void FileDescriptor::reset() {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
}

std::optional<FileLock> FileLock::acquire(const std::filesystem::path& lockFile,
                                          std::string& error) {
  FileDescriptor fd(::_wopen(lockFile.c_str(), _O_RDWR | _O_CREAT | _O_NOINHERIT | _O_BINARY,
                             _S_IREAD | _S_IWRITE));
  if (!fd.valid()) {
    error = describeErrno("cannot create", lockFile, errno);
    return std::nullopt;
  }
  OVERLAPPED whole{};
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd.get()));
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    error = describe("cannot lock", lockFile, ::GetLastError());
    return std::nullopt;
  }
  return FileLock(std::move(fd));
}

FileContent readWholeFile(const std::filesystem::path& file, std::size_t limit) {
  FileContent content;
  Handle handle(::CreateFileW(file.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return content;
    content.status = FileContent::Status::Failed;
    content.error = describe("cannot open", file, error);
    return content;
  }
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    content.status = FileContent::Status::Failed;
    content.error = "not a regular file: " + file.string();
    return content;
  }
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr)) {
      content.status = FileContent::Status::Failed;
      content.error = describe("cannot read", file, ::GetLastError());
      return content;
    }
    if (got == 0) break;
    content.bytes.append(buffer, got);
    if (content.bytes.size() > limit) break;
  }
  content.status = FileContent::Status::Read;
  return content;
}

bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                           std::string& error) {
  const std::optional<std::filesystem::path> target = resolveLinks(file);
  if (!target) {
    error = describe("cannot follow the links of", file, ERROR_CANT_RESOLVE_FILENAME);
    return false;
  }
  const std::filesystem::path folder = target->parent_path();
  TemporaryFile temporary(temporaryName(*target));
  Handle handle(::CreateFileW(temporary.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) {
    const DWORD failure = ::GetLastError();
    temporary.committed();  // not ours: nothing to remove
    error = describe("cannot create a temporary file in", folder, failure);
    return false;
  }
  if (!writeAll(handle.get(), bytes) || !::FlushFileBuffers(handle.get()) || !handle.close()) {
    error = describe("cannot write", temporary.path(), ::GetLastError());
    return false;
  }
  if (!::MoveFileExW(temporary.path().c_str(), target->c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = describe("cannot replace", *target, ::GetLastError());
    return false;
  }
  temporary.committed();
  return true;
}

bool keepCopy(const std::filesystem::path& file, const std::string& suffix, std::string& error) {
  constexpr int kMaxCopies = 10000;
  const std::optional<std::filesystem::path> target = resolveLinks(file);
  if (!target) {
    error = describe("cannot follow the links of", file, ERROR_CANT_RESOLVE_FILENAME);
    return false;
  }
  for (int number = 0; number < kMaxCopies; ++number) {
    std::filesystem::path copy = *target;
    copy += suffix;
    if (number > 0) {
      copy += ".";
      copy += std::to_string(number);
    }
    // Neither call replaces an existing name.
    if (::CreateHardLinkW(copy.c_str(), target->c_str(), nullptr)) return true;
    const DWORD failure = ::GetLastError();
    if (failure == ERROR_ALREADY_EXISTS || failure == ERROR_FILE_EXISTS) continue;
    if (::GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (::MoveFileExW(target->c_str(), copy.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    error = describe("cannot keep a copy of", *target, ::GetLastError());
    return false;
  }
  error = "no free name for a copy of " + target->string();
  return false;
}

}  // namespace pellora::settings
