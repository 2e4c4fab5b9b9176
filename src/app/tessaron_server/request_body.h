// Where a received request's body is kept, and reading it wherever it is. A
// small body is in the request's `body`; a large one is in a spool file. Either
// way the holding keeps the body's share of the server's room until the last
// one using it (the request, or what it stores) is gone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/tessaron_server/budget.h"
#include "app/tessaron_server/byte_sink.h"
#include "app/tessaron_server/spool_file.h"

namespace pellora::tessaron {

class BodyHolding {
 public:
  BodyHolding(std::optional<SpoolFile> file, Budget::Share share)
      : file_(std::move(file)), share_(std::move(share)) {}
  // The spooled body; null when it is held in memory.
  const SpoolFile* file() const { return file_ ? &*file_ : nullptr; }

 private:
  std::optional<SpoolFile> file_;
  Budget::Share share_;
};

// A body read by ranges: `memory`, unless `holding` has it spooled.
class BodyBytes {
 public:
  BodyBytes(std::string_view memory, const BodyHolding* holding)
      : memory_(memory), file_(holding ? holding->file() : nullptr) {}

  std::size_t size() const { return file_ ? file_->size() : memory_.size(); }
  // Hands [offset, offset + size) to `sink`: at once from memory, piece by
  // piece from a file. False when it could not be read or the sink refused.
  bool produce(std::size_t offset, std::size_t size, const ByteSink& sink) const;
  // The bytes of a small range.
  std::optional<std::string> copy(std::size_t offset, std::size_t size) const;

 private:
  std::string_view memory_;
  const SpoolFile* file_;
};

}  // namespace pellora::tessaron
