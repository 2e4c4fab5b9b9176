#include <sys/mman.h>

#include <cstdint>

#include "exchange/memory_advice.h"

namespace pellora::exchange {

void adviseFilledSoon(char* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
  // Only whole large pages inside the buffer; smaller buffers are left alone.
  constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
  // A refusal (no large pages here) leaves the buffer as it was: ignored.
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace pellora::exchange
