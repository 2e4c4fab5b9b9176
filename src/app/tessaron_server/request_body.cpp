// Covered by tests/app/tessaron_server_large_body_test.cpp and
// tests/app/tessaron_server_streaming_test.cpp.
#include "app/tessaron_server/request_body.h"

namespace pellora::tessaron {

bool BodyBytes::produce(std::size_t offset, std::size_t size, const ByteSink& sink) const {
  if (file_) return file_->read(offset, size, sink);
  if (offset > memory_.size() || size > memory_.size() - offset) return false;
  return size == 0 || sink(memory_.substr(offset, size));
}

std::optional<std::string> BodyBytes::copy(std::size_t offset, std::size_t size) const {
  std::string bytes;
  if (!produce(offset, size, [&](std::string_view piece) {
        bytes += piece;
        return true;
      })) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace pellora::tessaron
