#include <cstdlib>

#include "settings/home_directory.h"

namespace pellora::settings {

std::filesystem::path homeDirectory() {
  for (const wchar_t* name : {L"HOME", L"USERPROFILE"}) {
    if (const wchar_t* home = ::_wgetenv(name); home && *home) return home;
  }
  return ".";
}

}  // namespace pellora::settings
