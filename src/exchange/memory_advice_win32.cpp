#include "exchange/memory_advice.h"

namespace pellora::exchange {

// Large pages need a privilege on Windows; the buffer stays as it is.
void adviseFilledSoon(char*, std::size_t) {}

}  // namespace pellora::exchange
