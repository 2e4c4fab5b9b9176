// The few system calls the test helpers need, one file per system.
#pragma once

#include <filesystem>
#include <string>

namespace pellora::test {

// A new empty folder under the system's temporary folder; throws when none
// can be made.
std::filesystem::path makeTemporaryFolder();
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

}  // namespace pellora::test
