// Hints to the system about how a large buffer will be used. They change
// nothing a caller can observe but the speed.
#pragma once

#include <cstddef>

namespace pellora::exchange {

// `data` .. `data + size` is about to be filled front to back in one go:
// where the system can, back it with large pages, so that filling it costs
// a few page faults rather than one per small page.
void adviseFilledSoon(char* data, std::size_t size);

}  // namespace pellora::exchange
