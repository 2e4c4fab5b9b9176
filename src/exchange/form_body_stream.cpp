// Covered by tests/exchange/http_form_test.cpp.
#include "exchange/form_body_stream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "content/url_encode.h"

namespace pellora::exchange {

namespace {

bool isControl(int c) { return c >= 0 && c <= 0x20; }

}  // namespace

std::size_t TextBody::read(char* out, std::size_t capacity) {
  const std::size_t n = std::min(capacity, text_.size() - given_);
  std::memcpy(out, text_.data() + given_, n);
  given_ += n;
  return n;
}

// Each line is its head, its value (encoded or not) and CR LF. With two
// lines or more every CR LF of that raw text becomes "&"; then control
// bytes (at or below the blank) are trimmed from both ends. Encoded bytes
// are never control bytes, CR or LF.
FormBodyStream::FormBodyStream(std::span<const FormLine> lines) : join_(lines.size() >= 2) {
  segments_.reserve(lines.size() * 3);
  for (const FormLine& line : lines) {
    segments_.push_back({line.head, false});
    segments_.push_back({line.value, line.encode});
    segments_.push_back({"\r\n", false});
  }
  const std::size_t joined = countJoinedBytes();
  const std::size_t leading = countLeadingControls();
  const std::size_t trailing = countTrailingControls(joined - leading);
  size_ = joined - leading - trailing;
  // The leading control bytes are made and dropped: there are few, if any.
  std::array<char, 256> scratch;
  for (std::size_t left = leading; left > 0;) {
    const std::size_t n = produce(scratch.data(), std::min(left, scratch.size()));
    if (n == 0) throw std::logic_error("form body: fewer bytes than counted");
    left -= n;
  }
}

int FormBodyStream::rawAfter(Position at) const {
  for (std::size_t s = at.segment, o = at.offset + 1; s < segments_.size(); ++s, o = 0) {
    const Segment& segment = segments_[s];
    if (o < segment.bytes.size()) {
      return segment.encoded ? -1 : static_cast<unsigned char>(segment.bytes[o]);
    }
  }
  return -1;
}

int FormBodyStream::rawBefore(Position at) const {
  std::size_t s = at.segment;
  std::size_t o = at.offset;
  while (true) {
    if (o > 0) {
      const Segment& segment = segments_[s];
      return segment.encoded ? -1 : static_cast<unsigned char>(segment.bytes[o - 1]);
    }
    if (s == 0) return -1;
    --s;
    o = segments_[s].bytes.size();
  }
}

std::size_t FormBodyStream::countJoinedBytes() const {
  std::size_t total = 0;
  for (std::size_t s = 0; s < segments_.size(); ++s) {
    const Segment& segment = segments_[s];
    if (segment.encoded) {
      total += content::UrlEncodedSize(segment.bytes);
      continue;
    }
    total += segment.bytes.size();
    if (!join_) continue;
    // Every LF after a CR makes the pair one byte.
    const char* data = segment.bytes.data();
    for (std::size_t o = 0; o < segment.bytes.size(); ++o) {
      const void* lf = std::memchr(data + o, '\n', segment.bytes.size() - o);
      if (!lf) break;
      o = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
      if (rawBefore({s, o}) == '\r') --total;
    }
  }
  return total;
}

std::size_t FormBodyStream::countLeadingControls() const {
  std::size_t count = 0;
  for (std::size_t s = 0; s < segments_.size(); ++s) {
    const Segment& segment = segments_[s];
    if (segment.bytes.empty()) continue;
    if (segment.encoded) return count;
    for (std::size_t o = 0; o < segment.bytes.size(); ++o) {
      const auto c = static_cast<unsigned char>(segment.bytes[o]);
      // A joined pair is "&".
      if (join_ && c == '\r' && rawAfter({s, o}) == '\n') return count;
      if (!isControl(c)) return count;
      ++count;
    }
  }
  return count;
}

std::size_t FormBodyStream::countTrailingControls(std::size_t limit) const {
  std::size_t count = 0;
  for (std::size_t s = segments_.size(); s-- > 0 && count < limit;) {
    const Segment& segment = segments_[s];
    if (segment.bytes.empty()) continue;
    if (segment.encoded) return count;
    for (std::size_t o = segment.bytes.size(); o-- > 0 && count < limit;) {
      const auto c = static_cast<unsigned char>(segment.bytes[o]);
      if (join_ && c == '\n' && rawBefore({s, o}) == '\r') return count;
      if (!isControl(c)) return count;
      ++count;
    }
  }
  return count;
}

std::size_t FormBodyStream::produce(char* out, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && at_.segment < segments_.size()) {
    const Segment& segment = segments_[at_.segment];
    const std::string_view bytes = segment.bytes;
    if (at_.offset >= bytes.size()) {
      ++at_.segment;
      at_.offset = 0;
      continue;
    }
    if (segment.encoded) {
      // Whole escapes only: a piece may end up to two bytes short.
      const content::EncodedPiece piece =
          content::UrlEncodeSomeInto(bytes.substr(at_.offset), out + n, capacity - n);
      n += piece.written;
      at_.offset += piece.taken;
      if (at_.offset < bytes.size()) return n;
      continue;
    }
    // Raw bytes up to the next CR, copied whole.
    const std::size_t room = std::min(capacity - n, bytes.size() - at_.offset);
    const char* from = bytes.data() + at_.offset;
    const void* cr = join_ ? std::memchr(from, '\r', room) : nullptr;
    const std::size_t plain =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : room;
    std::memcpy(out + n, from, plain);
    n += plain;
    at_.offset += plain;
    if (!cr) continue;
    if (rawAfter(at_) == '\n') {
      out[n++] = '&';
      // Past the LF, which may begin a later segment.
      ++at_.offset;
      while (at_.offset >= segments_[at_.segment].bytes.size()) {
        ++at_.segment;
        at_.offset = 0;
      }
      ++at_.offset;
    } else {
      out[n++] = '\r';
      ++at_.offset;
    }
  }
  return n;
}

std::size_t FormBodyStream::read(char* out, std::size_t capacity) {
  const std::size_t wanted = std::min(capacity, size_ - given_);
  if (wanted == 0) return 0;
  const std::size_t n = produce(out, wanted);
  if (n == 0) throw std::logic_error("form body: fewer bytes than counted");
  given_ += n;
  return n;
}

}  // namespace pellora::exchange
