#include "exchange/http_input.h"

#include <algorithm>
#include <cstring>

#include "exchange/id_exceptions.h"
#include "exchange/memory_advice.h"

// Covered by tests/exchange/http_answer_test.cpp.

namespace pellora::exchange {

namespace {
constexpr std::size_t kLargestBlock = 1024 * 1024;
}

void BodyBuffer::reserve(std::size_t expected) {
  constexpr std::size_t kLargestReservation = 256 * 1024 * 1024;
  if (!blocks_.empty() || expected == 0) return;
  blocks_.emplace_back();
  std::string& block = blocks_.back();
  block.reserve(std::min(expected, kLargestReservation));
  adviseFilledSoon(block.data(), block.capacity());
}

void BodyBuffer::append(const char* data, std::size_t size) {
  while (size > 0) {
    if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
      // Blocks grow with the body, so a small answer stays small and a large
      // one needs few blocks.
      blocks_.emplace_back();
      blocks_.back().reserve(std::clamp(size_, kReceivePiece, kLargestBlock));
    }
    std::string& block = blocks_.back();
    const std::size_t n = std::min(size, block.capacity() - block.size());
    block.append(data, n);
    data += n;
    size -= n;
    size_ += n;
  }
}

std::size_t BodyBuffer::receive(ByteSource& source, std::size_t capacity) {
  if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
    blocks_.emplace_back();
    blocks_.back().reserve(std::clamp(size_, kReceivePiece, kLargestBlock));
  }
  std::string& block = blocks_.back();
  const std::size_t old = block.size();
  const std::size_t room = std::min(capacity, block.capacity() - old);
  block.resize(old + room);
  std::size_t n = 0;
  try {
    n = source.receive(block.data() + old, room);
  } catch (...) {
    block.resize(old);
    throw;
  }
  block.resize(old + n);
  size_ += n;
  return n;
}

std::string BodyBuffer::take() {
  std::string result;
  if (blocks_.size() == 1) {
    result = std::move(blocks_.front());
  } else {
    result.reserve(size_);
    for (std::string& block : blocks_) {
      result += block;
      std::string().swap(block);  // give each block back as soon as it is copied
    }
  }
  blocks_.clear();
  size_ = 0;
  return result;
}

HttpInput::HttpInput(ByteSource& source, std::function<void(std::size_t)> onReceived)
    : source_(source), onReceived_(std::move(onReceived)) {}

bool HttpInput::fill() {
  if (pos_ == buffer_.size()) {
    buffer_.clear();
    pos_ = 0;
  } else if (pos_ >= kMaxLineLength) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  const std::size_t old = buffer_.size();
  buffer_.resize(old + kReceivePiece);
  std::size_t n = 0;
  try {
    n = source_.receive(buffer_.data() + old, kReceivePiece);
  } catch (...) {
    buffer_.resize(old);
    throw;
  }
  buffer_.resize(old + n);
  if (n > 0 && onReceived_) onReceived_(n);
  return n > 0;
}

std::optional<std::string> HttpInput::readLine() {
  std::size_t scannedPastPos = 0;  // bytes after pos_ already known to hold no LF
  for (;;) {
    const std::size_t lf = buffer_.find('\n', pos_ + scannedPastPos);
    if (lf != std::string::npos) {
      if (lf - pos_ > kMaxLineLength + 1) break;  // the CR does not count
      std::string line = buffer_.substr(pos_, lf - pos_);
      pos_ = lf + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    scannedPastPos = buffer_.size() - pos_;
    if (scannedPastPos > kMaxLineLength + 1) break;
    if (!fill()) {
      if (pos_ == buffer_.size()) return std::nullopt;
      std::string line = buffer_.substr(pos_);
      pos_ = buffer_.size();
      return line;
    }
  }
  throw EIdHTTPProtocolException(0, "Answer line too long.", "");
}

std::size_t HttpInput::readInto(BodyBuffer& sink, std::size_t limit) {
  if (limit == 0) return 0;
  if (!hasBuffered() && limit > kReceivePiece) {
    const std::size_t n = sink.receive(source_, std::min(limit - kReceivePiece, kBodyPiece));
    if (n > 0 && onReceived_) onReceived_(n);
    return n;
  }
  if (!hasBuffered() && !fill()) return 0;
  const std::size_t n = std::min(limit, buffer_.size() - pos_);
  sink.append(buffer_.data() + pos_, n);
  pos_ += n;
  return n;
}

}  // namespace pellora::exchange
