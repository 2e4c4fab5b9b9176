// Feeds arbitrary bytes to the settings-file parser. Beyond not crashing, a
// file that parses must survive formatting: writing the model and reading it
// back gives the same model.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pellora::settings;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (Hive hive : {Hive::LocalMachine, Hive::ClassesRoot}) {
    const ParseResult first = parseRegFile(text, hive);
    if (!first.error.empty()) continue;
    const ParseResult second = parseRegFile(formatRegFile(first.data, hive), hive);
    if (!second.error.empty() || !(second.data == first.data)) std::abort();
  }
  return 0;
}
