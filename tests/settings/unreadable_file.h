// Makes a regular file unreadable for the calling thread, also when the tests
// run as root: the file gets mode 000, and the file-access overrides that let
// root ignore modes are taken out of the thread's effective capabilities
// until the object ends (they stay permitted, so they come back).
#pragma once

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>

namespace pellora::test {

class UnreadableFile {
 public:
  explicit UnreadableFile(const std::filesystem::path& file) {
    ::chmod(file.c_str(), 0);
    if (::syscall(SYS_capget, &header_, saved_) == 0) {
      __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
      lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
      lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    unreadable_ = fd < 0;
    if (fd >= 0) ::close(fd);
  }
  ~UnreadableFile() {
    if (lowered_) ::syscall(SYS_capset, &header_, saved_);
  }
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

  // False where this process can read the file all the same.
  bool unreadable() const { return unreadable_; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
  bool unreadable_ = false;
};

}  // namespace pellora::test
