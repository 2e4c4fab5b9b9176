// The zoom of the editor's two views, in percent of their normal size, and
// the steps the zoom keys and Ctrl+wheel go through, as browsers offer them.
#pragma once

#include <cstdint>

namespace pellora::gtk {

enum class ZoomAction { In, Out, Reset };

inline constexpr std::uint32_t kNormalZoom = 100;

// Any percent brought into the range the steps cover.
std::uint32_t clampZoom(std::uint32_t percent);

// The zoom after `action` from `percent`: the next step above or below
// (a value between steps goes to the neighbouring one), or the normal size.
std::uint32_t zoomAfter(std::uint32_t percent, ZoomAction action);

}  // namespace pellora::gtk
