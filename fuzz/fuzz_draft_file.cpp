// Draft files as a crash or a damaged disk may leave them: decoding never
// crashes, and whatever decodes encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "journal/draft_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const pellora::journal::Draft draft = pellora::journal::decodeDraft(bytes);
    if (pellora::journal::decodeDraft(pellora::journal::encodeDraft(draft)) != draft) std::abort();
  } catch (const pellora::journal::DraftFormatError&) {
  }
  return 0;
}
