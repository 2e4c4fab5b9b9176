#include <cstdlib>
#include <random>
#include <stdexcept>

#include "support/test_system.h"

namespace pellora::test {

std::filesystem::path makeTemporaryFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate =
        std::filesystem::temp_directory_path() / ("pellora-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) return candidate;
  }
  throw std::runtime_error("no temporary folder could be made");
}

void setEnvironment(const std::string& name, const std::string& value) {
  ::_putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable on Windows.
void unsetEnvironment(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

}  // namespace pellora::test
