// The languages found in any text: each a lower-case primary subtag, none
// twice, whatever the markup.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/content_language.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto languages =
      pellora::content::contentLanguages({reinterpret_cast<const char*>(data), size});
  for (auto it = languages.begin(); it != languages.end(); ++it) {
    if (it->empty() || std::find(std::next(it), languages.end(), *it) != languages.end())
      std::abort();
    for (const char c : *it) {
      if (!std::islower(static_cast<unsigned char>(c))) std::abort();
    }
  }
  return 0;
}
