// Covered by tests/content/body_scan_test.cpp and, through the image scans,
// tests/images/image_scan_test.cpp.
#include "content/folded_search.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellora::content {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isLowerAscii(char c) { return c >= 'a' && c <= 'z'; }

// Setting bit 0x20 makes an ASCII letter lower case; only letters get it, as
// it would also make "\x1e" of ">".
unsigned char foldBit(char c) { return isLowerAscii(c) ? 0x20 : 0; }

bool sameFolded(char textByte, char needleByte) {
  return static_cast<char>(textByte | foldBit(needleByte)) == needleByte;
}

// The needle byte checked beside the first one: its last letter, which in
// markup follows a "<" far less often than a ">" or a quote does.
[[maybe_unused]] std::size_t anchorIndex(std::string_view needle) {
  for (std::size_t i = needle.size(); i-- > 1;) {
    if (isLowerAscii(needle[i])) return i;
  }
  return needle.size() - 1;
}

}  // namespace

bool HasFoldedAt(std::string_view text, std::size_t at, std::string_view needle) {
  if (at > text.size() || text.size() - at < needle.size()) return false;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (!sameFolded(text[at + i], needle[i])) return false;
  }
  return true;
}

std::size_t FindFolded(std::string_view text, std::string_view needle, std::size_t from) {
  if (text.size() < needle.size() || from > text.size() - needle.size()) return npos;
  if (needle.empty()) return from;
  const std::size_t lastStart = text.size() - needle.size();
  std::size_t at = from;
#if defined(__SSE2__)
  // Sixteen starts at a time: those whose first byte and anchor byte fit
  // are checked in full. The anchor's loads end within the text because
  // every start they cover is at most lastStart.
  const std::size_t anchor = anchorIndex(needle);
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i firstFold = _mm_set1_epi8(static_cast<char>(foldBit(needle[0])));
  const __m128i other = _mm_set1_epi8(needle[anchor]);
  const __m128i otherFold = _mm_set1_epi8(static_cast<char>(foldBit(needle[anchor])));
  const char* data = text.data();
  for (; at + 15 <= lastStart; at += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + anchor));
    auto candidates = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstFold), first),
                                        _mm_cmpeq_epi8(_mm_or_si128(b, otherFold), other))));
    while (candidates != 0) {
      const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(candidates));
      if (HasFoldedAt(text, start, needle)) return start;
      candidates &= candidates - 1;
    }
  }
#endif
  for (; at <= lastStart; ++at) {
    if (sameFolded(text[at], needle[0]) && HasFoldedAt(text, at, needle)) return at;
  }
  return npos;
}

}  // namespace pellora::content
