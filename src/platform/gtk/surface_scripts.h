// The JavaScript the editing surface runs in its page, in a script world of
// its own that the content cannot reach. The page script answers all
// command states, the block format and the body in one call (`state`), and
// posts the same answer to the surface after every change of content,
// selection or caret, so a display change costs no round trip at all.
//
// The body crosses as a difference against the text sent last: the common
// start and end (in UTF-8 bytes) and the changed middle. Typing one letter
// into a megabyte of markup thus moves a few bytes, and the surface rebuilds
// the whole text from its copy. A version pair (page id, number) tells the
// surface which copy a difference applies to; a mismatch asks for the whole
// text again.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pellora::gtk {

// The script world of our own scripts and the name of its message channel.
inline constexpr const char* kScriptWorld = "pellora";
inline constexpr const char* kMessageChannel = "pellora";

// The command ids whose states `state()` answers, in the order of its
// answer's `st` array.
inline constexpr std::array<int, 28> kStatusIds = {
    5000, 5002, 5003, 5004, 5006, 5007, 5009, 5011, 5016, 5017, 5018, 5020, 5021, 5022,
    5023, 5024, 5025, 5026, 5029, 5030, 5031, 5032, 5035, 5043, 5047, 5048, 5049, 5051,
};

// The page script, injected at document start of every load.
const std::string& pageScript();

// A JavaScript string literal (double-quoted) holding `utf8`.
std::string jsString(std::string_view utf8);

// The id of the style element in the head that shows the detail marks; the
// surface removes it from the source text again.
inline constexpr std::string_view kDetailsStyleId = "pellora-details";

}  // namespace pellora::gtk
