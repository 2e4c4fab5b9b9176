#include "ui/services.h"

#include <stdexcept>

namespace pellora::ui {

namespace {
Platform* g_platform = nullptr;
}

Platform& platform() {
  if (!g_platform) throw std::logic_error("no platform installed");
  return *g_platform;
}

void setPlatform(Platform* platform) { g_platform = platform; }

bool hasPlatform() { return g_platform != nullptr; }

}  // namespace pellora::ui
