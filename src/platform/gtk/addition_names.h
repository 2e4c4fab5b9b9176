// The names of the widgets the editor adds around its form (the find bar
// and the status line), by which a host or a test finds them, and the mark
// of a status line still waiting for its counts.
#pragma once

namespace pellora::gtk {

inline constexpr const char* kFindBarName = "findBar";
inline constexpr const char* kFindEntryName = "findEntry";
inline constexpr const char* kReplaceEntryName = "replaceEntry";
inline constexpr const char* kFindCountName = "findCount";
inline constexpr const char* kMatchCaseName = "findMatchCase";
inline constexpr const char* kWholeWordsName = "findWholeWords";

// GObject data key on the find bar: non-zero while a search is due or the
// view is still counting its matches.
inline constexpr const char* kSearchingKey = "pellora-searching";

inline constexpr const char* kStatusLineName = "statusLine";
// GObject data key on the status line: non-zero while it waits for counts
// that a change made due. Hosts that read the line wait on it.
inline constexpr const char* kCountingKey = "pellora-counting";

}  // namespace pellora::gtk
