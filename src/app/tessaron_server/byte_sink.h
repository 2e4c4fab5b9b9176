// Bytes handed on piece by piece, so a large body reaches its file without
// being copied whole on the way.
#pragma once

#include <functional>
#include <string_view>

namespace pellora::tessaron {

// Takes the next piece; false stops the producer (the write failed).
using ByteSink = std::function<bool(std::string_view)>;

// Hands all its bytes to the sink in turn; false when the sink refused one.
using ByteSource = std::function<bool(const ByteSink&)>;

}  // namespace pellora::tessaron
