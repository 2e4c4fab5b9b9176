// The display text of a server answer that was not "OK": the bold and line
// break tags (<b>, </b>, <br>, </br> in any case, and "<", one byte, "b" or
// "br", ">" generally) are removed, and the rest is wrapped at 80 columns.
// Callers show it after kServerResponsePrefix in a warning box.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

// "Response:" is followed by eight blanks, then CR LF.
inline constexpr std::string_view kServerResponsePrefix = "Server Response:        \r\n";

// `answer` is the server's answer, already trimmed by the caller.
std::string FormatServerResponse(std::string_view answer);

// The server script's convention: an answer acknowledges when, with the
// bytes at or below the blank trimmed from both ends, it is exactly "OK".
bool ServerAcknowledged(std::string_view answer);

// What the warning box shows for an answer that did not acknowledge.
std::string ServerResponseMessage(std::string_view answer);

}  // namespace pellora::content
