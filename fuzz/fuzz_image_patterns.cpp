// Feeds arbitrary documents and base addresses to the image scan and the
// address rewriting. A base address or path that makes a bad pattern may
// fail with the matcher's error; nothing else may go wrong.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/pattern_error.h"
#include "images/image_patterns.h"

using namespace pellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line is the base address, the rest the document.
  const auto newline = input.find('\n');
  const std::string_view base = input.substr(0, newline);
  const std::string_view text =
      newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);
  try {
    const std::string contents = images::ContentsUrl(base);
    const auto server = images::findServerImages(text, contents);
    images::unusedServerImages(server, text);
    for (const auto& path : images::findLocalImages(text)) {
      images::RewriteImageSource(text, path, contents);
    }
  } catch (const content::EPatternError&) {
  }
  return 0;
}
