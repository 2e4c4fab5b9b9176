// Covered by tests/content/cp1252_mirror_test.cpp.
#include "content/cp1252_mirror.h"

#include <algorithm>
#include <cstring>

#include "content/cp1252.h"

namespace pellora::content {

void Cp1252Mirror::assign(std::string_view cp1252) {
  buf_.assign(cp1252);
  gapStart_ = gapEnd_ = buf_.size();
  wide_.clear();
}

std::size_t Cp1252Mirror::firstWideFrom(std::size_t charOffset) const {
  return static_cast<std::size_t>(
      std::partition_point(wide_.begin(), wide_.end(),
                           [charOffset](const Wide& w) { return w.charPos < charOffset; }) -
      wide_.begin());
}

std::size_t Cp1252Mirror::byteOffset(std::size_t charOffset) const {
  charOffset = std::min(charOffset, chars());
  return charOffset + extraBefore(firstWideFrom(charOffset));
}

std::size_t Cp1252Mirror::charOffset(std::size_t byteOffset) const {
  byteOffset = std::min(byteOffset, bytes());
  // The first wide character that ends after the byte.
  const auto i = static_cast<std::size_t>(
      std::partition_point(
          wide_.begin(), wide_.end(),
          [byteOffset](const Wide& w) { return w.charPos + 1 + w.extraThrough <= byteOffset; }) -
      wide_.begin());
  const std::size_t before = extraBefore(i);
  if (i < wide_.size() && wide_[i].charPos + before <= byteOffset) return wide_[i].charPos;
  return byteOffset - before;
}

void Cp1252Mirror::replace(std::size_t from, std::size_t to, std::string_view utf8) {
  const std::size_t count = chars();
  from = std::min(from, count);
  to = std::clamp(to, from, count);
  const std::size_t lo = firstWideFrom(from);
  const std::size_t hi = firstWideFrom(to);
  const std::size_t extraFrom = extraBefore(lo);
  const std::size_t byteFrom = from + extraFrom;
  const std::size_t byteTo = to + extraBefore(hi);

  std::string inserted;
  inserted.reserve(utf8.size());
  std::vector<Wide> added;
  std::size_t insertedChars = 0;
  std::size_t extra = extraFrom;
  for (std::size_t pos = 0; pos < utf8.size(); ++insertedChars) {
    const std::size_t n = appendUtf8CharAsCp1252(inserted, utf8, pos);
    if (n > 1) {
      extra += n - 1;
      added.push_back({from + insertedChars, extra});
    }
  }

  // Wide characters after the edit shift by what it added and removed.
  const std::size_t removedExtra = extraBefore(hi) - extraFrom;
  const std::size_t addedExtra = extra - extraFrom;
  for (std::size_t i = hi; i < wide_.size(); ++i) {
    wide_[i].charPos = wide_[i].charPos + insertedChars - (to - from);
    wide_[i].extraThrough = wide_[i].extraThrough + addedExtra - removedExtra;
  }
  const auto at = wide_.erase(wide_.begin() + static_cast<std::ptrdiff_t>(lo),
                              wide_.begin() + static_cast<std::ptrdiff_t>(hi));
  wide_.insert(at, added.begin(), added.end());

  moveGap(byteFrom);
  gapEnd_ += byteTo - byteFrom;
  reserveGap(inserted.size());
  std::memcpy(buf_.data() + gapStart_, inserted.data(), inserted.size());
  gapStart_ += inserted.size();
}

std::string Cp1252Mirror::text() const {
  std::string result;
  result.reserve(bytes());
  result.append(buf_, 0, gapStart_);
  result.append(buf_, gapEnd_, std::string::npos);
  return result;
}

void Cp1252Mirror::moveGap(std::size_t at) {
  if (at < gapStart_) {
    const std::size_t n = gapStart_ - at;
    std::memmove(buf_.data() + gapEnd_ - n, buf_.data() + at, n);
    gapStart_ -= n;
    gapEnd_ -= n;
  } else if (at > gapStart_) {
    const std::size_t n = at - gapStart_;
    std::memmove(buf_.data() + gapStart_, buf_.data() + gapEnd_, n);
    gapStart_ += n;
    gapEnd_ += n;
  }
}

void Cp1252Mirror::reserveGap(std::size_t size) {
  if (gapEnd_ - gapStart_ >= size) return;
  // Room for this edit and many more, so that typing rarely reallocates.
  const std::size_t gap = size + bytes() / 8 + 4096;
  std::string grown;
  grown.reserve(bytes() + gap);
  grown.append(buf_, 0, gapStart_);
  grown.append(gap, '\0');
  grown.append(buf_, gapEnd_, std::string::npos);
  gapEnd_ = gapStart_ + gap;
  buf_ = std::move(grown);
}

}  // namespace pellora::content
