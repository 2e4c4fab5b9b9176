// Buffered reading of an answer. The HTTP client never parses from a socket
// directly: it reads from a `ByteSource`, which a socket implements for real
// and a test or fuzzer implements over fixed bytes. `HttpInput` keeps what
// was received but not yet consumed; it belongs to one connection.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellora::exchange {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Receives at most `capacity` bytes, waiting for at least one. Returns 0
  // when the peer has closed the connection; throws on failure or time-out.
  virtual std::size_t receive(char* buffer, std::size_t capacity) = 0;
};

// Largest piece read from the source at a time.
inline constexpr std::size_t kReceivePiece = 4096;
// Largest piece of a body received at a time, straight into the body.
inline constexpr std::size_t kBodyPiece = 256 * 1024;
// Longest status or header line accepted.
inline constexpr std::size_t kMaxLineLength = 64 * 1024;

// Collects an answer body piece by piece. It never reserves room for a size
// the server merely announced, and it keeps the bytes in blocks, so that
// taking the whole body costs one copy and at most twice its size.
class BodyBuffer {
 public:
  // Makes room for an announced body in one block, so taking it needs no
  // copy. Announcements beyond kLargestReservation are not trusted: the
  // rest grows in blocks as it arrives.
  void reserve(std::size_t expected);
  void append(const char* data, std::size_t size);
  // Receives at most `capacity` bytes from `source` straight into the
  // buffer; returns how many arrived (0: the source closed).
  std::size_t receive(ByteSource& source, std::size_t capacity);
  std::size_t size() const { return size_; }
  std::string take();

 private:
  std::vector<std::string> blocks_;
  std::size_t size_ = 0;
};

class HttpInput {
 public:
  // `onReceived` hears the size of every piece taken from the source.
  explicit HttpInput(ByteSource& source, std::function<void(std::size_t)> onReceived = {});

  // The next line without its LF and a CR before it. When the source closes
  // first, returns what there was, or nothing when there was nothing.
  // Throws when the line grows beyond kMaxLineLength.
  std::optional<std::string> readLine();
  // Moves at most `limit` bytes into `sink`: buffered bytes first, else one
  // piece from the source. Returns 0 when the source has closed. A large
  // `limit` is received straight into `sink`, up to kBodyPiece at a time;
  // the last kReceivePiece bytes of it come through the buffer as a whole
  // piece, so bytes a server sends beyond an answer show as buffered.
  std::size_t readInto(BodyBuffer& sink, std::size_t limit);

  bool hasBuffered() const { return pos_ < buffer_.size(); }

 private:
  // Receives one more piece into the buffer; false when the source closed.
  bool fill();

  ByteSource& source_;
  std::function<void(std::size_t)> onReceived_;
  std::string buffer_;
  std::size_t pos_ = 0;
};

}  // namespace pellora::exchange
