// Covered by tests/platform/gtk/view_zoom_test.cpp.
#include "platform/gtk/zoom_level.h"

#include <algorithm>
#include <array>

namespace pellora::gtk {

namespace {

constexpr std::array<std::uint32_t, 13> kSteps = {50,  67,  75,  80,  90,  100, 110,
                                                  125, 150, 175, 200, 250, 300};

}  // namespace

std::uint32_t clampZoom(std::uint32_t percent) {
  return std::clamp(percent, kSteps.front(), kSteps.back());
}

std::uint32_t zoomAfter(std::uint32_t percent, ZoomAction action) {
  const std::uint32_t now = clampZoom(percent);
  switch (action) {
    case ZoomAction::In: {
      const auto above = std::upper_bound(kSteps.begin(), kSteps.end(), now);
      return above == kSteps.end() ? kSteps.back() : *above;
    }
    case ZoomAction::Out: {
      const auto below = std::lower_bound(kSteps.begin(), kSteps.end(), now);
      return below == kSteps.begin() ? kSteps.front() : *(below - 1);
    }
    case ZoomAction::Reset:
      break;
  }
  return kNormalZoom;
}

}  // namespace pellora::gtk
