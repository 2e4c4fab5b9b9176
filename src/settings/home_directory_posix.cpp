#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "settings/home_directory.h"

namespace pellora::settings {

std::filesystem::path homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return ".";
}

}  // namespace pellora::settings
