// Percent-encoding of a value for a URL path segment or a form field:
// ",", "-", "_", digits and ASCII letters stay; every other byte becomes
// "%" and two upper-case hex digits of its value (a blank is %20, never
// "+"). Bytes are encoded as they are, with no conversion to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

std::string UrlEncode(std::string_view value);
// The size of UrlEncode(value), so a caller can size its buffer once.
std::size_t UrlEncodedSize(std::string_view value);
// Writes UrlEncode(value) at `out`, which has room for UrlEncodedSize(value)
// bytes; returns the end of what it wrote.
char* UrlEncodeInto(std::string_view value, char* out);

// Encodes the longest start of `value` whose encoding fits in `capacity`
// bytes at `out` (never half an escape), for a caller that writes a large
// value piece by piece.
struct EncodedPiece {
  std::size_t taken;    // bytes of `value` encoded
  std::size_t written;  // bytes written at `out`
};
EncodedPiece UrlEncodeSomeInto(std::string_view value, char* out, std::size_t capacity);

}  // namespace pellora::content
