// SourceMergeBase on arbitrary bytes: the input split at its first two NUL
// bytes into the source, the engine's first serialization and the current
// one. Every merge ends, copies each source and engine byte at most once,
// and a base whose source is its own serialization gives it back unedited;
// such a base gives any later serialization back as it is, when the
// tokenizer drops no cut-off tag from either text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/html_tokens.h"
#include "content/source_merge.h"

namespace {

using pellora::content::MergeGranularity;
using pellora::content::MergeResult;
using pellora::content::SourceMergeBase;

void check(bool condition) {
  if (!condition) std::abort();
}

std::string_view nextPart(std::string_view& rest) {
  const std::size_t cut = rest.find('\0');
  const std::string_view part = rest.substr(0, cut);
  rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  return part;
}

bool fullyTokenized(std::string_view text) {
  std::size_t covered = 0;
  for (const auto& token : pellora::content::TokenizeHtml(text)) covered += token.raw.size();
  return covered == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view source = nextPart(rest);
  const std::string_view engineFirst = nextPart(rest);
  const std::string_view engineNow = rest;

  const SourceMergeBase base{std::string(source), std::string(engineFirst)};
  for (MergeGranularity granularity :
       {MergeGranularity::Tokens, MergeGranularity::TopLevelBlocks}) {
    for (std::string_view now : {engineNow, engineFirst}) {
      const MergeResult merged = base.merge(now, granularity);
      check(merged.body.size() <= source.size() + engineFirst.size() + now.size());
      check(merged.preservedBytes <= source.size() && merged.preservedBytes <= merged.body.size());
    }
  }
  for (std::string_view text : {source, engineFirst, engineNow}) {
    const SourceMergeBase same{std::string(text), std::string(text)};
    check(same.merge(text, MergeGranularity::Tokens).body == text);
    check(same.merge(text, MergeGranularity::TopLevelBlocks).body == text);
  }
  if (fullyTokenized(engineFirst) && fullyTokenized(engineNow)) {
    const SourceMergeBase identity{std::string(engineFirst), std::string(engineFirst)};
    check(identity.merge(engineNow, MergeGranularity::Tokens).body == engineNow);
    check(identity.merge(engineNow, MergeGranularity::TopLevelBlocks).body == engineNow);
  }
  return 0;
}
