// The file operations that read the same on every system.
#include "settings/file_io.h"

namespace pellora::settings {

std::optional<std::filesystem::path> resolveLinks(const std::filesystem::path& file) {
  constexpr int kMaxLinks = 40;  // as many as the Linux kernel follows
  std::filesystem::path current = file;
  for (int followed = 0; followed <= kMaxLinks; ++followed) {
    // A path that does not exist (yet) is where it leads.
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
      return current;
    }
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) return std::nullopt;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return std::nullopt;
}

}  // namespace pellora::settings
