// Covered by tests/windows/winsock_test.cpp.
#include <winsock2.h>

#include <string_view>

#include "exchange/id_exceptions.h"
#include "exchange/winsock_support.h"

namespace pellora::exchange {

namespace {

struct ErrorText {
  int error;
  std::string_view text;
};

// The texts of the POSIX build's C library where the two systems share an
// error, so a message reads the same on both; the system's own texts would
// follow its language.
constexpr ErrorText kErrorTexts[] = {
    {WSAEINTR, "Interrupted system call"},
    {WSAEACCES, "Permission denied"},
    {WSAEFAULT, "Bad address"},
    {WSAEINVAL, "Invalid argument"},
    {WSAEMFILE, "Too many open files"},
    {WSAEWOULDBLOCK, "Resource temporarily unavailable"},
    {WSAEINPROGRESS, "Operation now in progress"},
    {WSAENOTSOCK, "Socket operation on non-socket"},
    {WSAEMSGSIZE, "Message too long"},
    {WSAEPROTONOSUPPORT, "Protocol not supported"},
    {WSAESOCKTNOSUPPORT, "Socket type not supported"},
    {WSAEOPNOTSUPP, "Operation not supported"},
    {WSAEAFNOSUPPORT, "Address family not supported by protocol"},
    {WSAEADDRINUSE, "Address already in use"},
    {WSAEADDRNOTAVAIL, "Cannot assign requested address"},
    {WSAENETDOWN, "Network is down"},
    {WSAENETUNREACH, "Network is unreachable"},
    {WSAENETRESET, "Network dropped connection on reset"},
    {WSAECONNABORTED, "Software caused connection abort"},
    {WSAECONNRESET, "Connection reset by peer"},
    {WSAENOBUFS, "No buffer space available"},
    {WSAEISCONN, "Transport endpoint is already connected"},
    {WSAENOTCONN, "Transport endpoint is not connected"},
    {WSAESHUTDOWN, "Cannot send after transport endpoint shutdown"},
    {WSAETIMEDOUT, "Connection timed out"},
    {WSAECONNREFUSED, "Connection refused"},
    {WSAEHOSTDOWN, "Host is down"},
    {WSAEHOSTUNREACH, "No route to host"},
    {WSASYSNOTREADY, "Network subsystem is unavailable"},
    {WSAVERNOTSUPPORTED, "Winsock version not supported"},
    {WSANOTINITIALISED, "Winsock is not started"},
    {WSAHOST_NOT_FOUND, "Host not found"},
    {WSATRY_AGAIN, "Temporary failure in name resolution"},
    {WSANO_RECOVERY, "Non-recoverable failure in name resolution"},
    {WSANO_DATA, "No address associated with hostname"},
};

}  // namespace

std::string winsockErrorText(int error) {
  for (const ErrorText& row : kErrorTexts) {
    if (row.error == error) return std::string(row.text);
  }
  return "Unknown error " + std::to_string(error);
}

void ensureWinsock() {
  // Started at the first connection rather than from DllMain, where
  // Winsock must not be started; the static's destructor runs when the
  // module is unloaded.
  struct Session {
    int error = 0;
    Session() {
      WSADATA data;
      error = ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Session() {
      if (error == 0) ::WSACleanup();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
  };
  static const Session session;
  if (session.error != 0) throw EIdSocketError(session.error, winsockErrorText(session.error));
}

}  // namespace pellora::exchange
