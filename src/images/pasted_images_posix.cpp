// The private folder and its files with POSIX calls: created with their
// modes, never widened by the umask, never following a planted link.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "images/pasted_images.h"
#include "settings/file_io.h"

namespace pellora::images {

namespace {

// `folder` as a directory of ours with mode 0700.
bool privateFolder(const std::filesystem::path& folder, std::string& why) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = folder.string() + ": " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    why = folder.string() + ": not a folder of this user";
    return false;
  }
  if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
    why = folder.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool writePrivateFile(const std::vector<std::filesystem::path>& folders,
                      const std::filesystem::path& file, std::string_view bytes, std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(folders.front().parent_path(), error);
  for (const std::filesystem::path& folder : folders) {
    if (!privateFolder(folder, why)) return false;
  }
  const std::filesystem::path& folder = folders.back();
  const std::filesystem::path temporary = folder / (".part-" + std::to_string(::getpid()));
  ::unlink(temporary.c_str());
  {
    const settings::FileDescriptor out(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (out.get() < 0) {
      why = temporary.string() + ": " + std::strerror(errno);
      return false;
    }
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(out.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        why = temporary.string() + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
  }
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    why = file.string() + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace pellora::images
