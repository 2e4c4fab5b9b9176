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

#include "platform/gtk/page_commands.h"

namespace pellora::gtk {

// The script world of our own scripts and the name of its message channel.
inline constexpr const char* kScriptWorld = "pellora";
inline constexpr const char* kMessageChannel = "pellora";

// The command ids whose states `state()` answers, in the order of its
// answer's `st` array.
inline constexpr auto kStatusIds = [] {
  std::array<int, kPageCommands.size()> ids{};
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = kPageCommands[i].id;
  return ids;
}();

// The page script's parts in the resource bundle, in the order they run.
inline constexpr std::array<std::string_view, 6> kPageScriptParts = {
    "page/state.js",   "page/editing.js", "page/tables.js",
    "page/history.js", "page/find.js",    "page/counts.js"};

// The guides of borderless tables, the view's own style sheet.
inline constexpr std::string_view kTableGuidesStyleSheet = "css/table_guides.css";

// The detail marks' style sheet in the resource bundle.
inline constexpr std::string_view kDetailsStyleSheet = "css/details.css";

// The page script, injected at document start of every load: the parts run
// as one function, after the constants they share.
const std::string& pageScript();

// Those constants: the command table's ids, states and engine commands by
// name, the message channel and the detail marks' style.
std::string pageScriptConstants();

// A JavaScript string literal (double-quoted) holding `utf8`.
std::string jsString(std::string_view utf8);

// The id of the style element in the head that shows the detail marks; the
// surface removes it from the source text again.
inline constexpr std::string_view kDetailsStyleId = "pellora-details";

}  // namespace pellora::gtk
