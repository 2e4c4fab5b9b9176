// A form body written piece by piece as it goes out: its exact size is known
// before the first byte, and it never exists whole (a 10 MB item's form is
// about 18 MB, held beside the item itself before). The bytes are those of
// formPostBody (http_form.h). No I/O, so it can be fuzzed.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "exchange/http_form.h"

namespace pellora::exchange {

// What a POST sends: its size first, then its bytes in pieces.
class OutgoingBody {
 public:
  virtual ~OutgoingBody() = default;
  virtual std::size_t size() const = 0;
  // Writes the next bytes, at most `capacity` (at least 3), at `out`;
  // returns how many, 0 only once all size() bytes were given.
  virtual std::size_t read(char* out, std::size_t capacity) = 0;
};

// A body held whole by the caller, which keeps it alive meanwhile.
class TextBody final : public OutgoingBody {
 public:
  explicit TextBody(std::string_view text) : text_(text) {}
  std::size_t size() const override { return text_.size(); }
  std::size_t read(char* out, std::size_t capacity) override;

 private:
  std::string_view text_;
  std::size_t given_ = 0;
};

// The lines' texts must outlive the stream.
class FormBodyStream final : public OutgoingBody {
 public:
  explicit FormBodyStream(std::span<const FormLine> lines);
  std::size_t size() const override { return size_; }
  std::size_t read(char* out, std::size_t capacity) override;

 private:
  struct Segment {
    std::string_view bytes;
    bool encoded;
  };
  struct Position {
    std::size_t segment = 0;
    std::size_t offset = 0;
  };
  // The byte after `at` in the raw text, across segments; -1 at the end or
  // before an encoded segment (whose bytes are never CR or LF).
  int rawAfter(Position at) const;
  // The byte before `at` in the raw text, likewise.
  int rawBefore(Position at) const;
  std::size_t countJoinedBytes() const;
  std::size_t countLeadingControls() const;
  std::size_t countTrailingControls(std::size_t limit) const;
  // Writes joined bytes (before trimming) from the current position.
  std::size_t produce(char* out, std::size_t capacity);

  std::vector<Segment> segments_;
  bool join_ = false;
  std::size_t size_ = 0;
  std::size_t given_ = 0;
  Position at_;
};

}  // namespace pellora::exchange
