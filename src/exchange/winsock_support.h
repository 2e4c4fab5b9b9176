// Winsock's start and its error texts, for the Windows transport
// (socket_win32.cpp); built on Windows only.
#pragma once

#include <string>

namespace pellora::exchange {

// Starts Winsock the first time it is called; the module's unload cleans it
// up. Throws EIdSocketError when Winsock cannot be started.
void ensureWinsock();

// The description of a Winsock error number, in English whatever the
// system's language ("Connection refused" for 10061, "Host not found" for
// 11001); "Unknown error" and the number for one not in the table.
std::string winsockErrorText(int error);

}  // namespace pellora::exchange
