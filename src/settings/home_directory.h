// The user's home folder, under which the settings store lives unless the
// environment names another folder.
#pragma once

#include <filesystem>

namespace pellora::settings {

// $HOME, else the account's home folder (on Windows %USERPROFILE%), else ".".
std::filesystem::path homeDirectory();

}  // namespace pellora::settings
