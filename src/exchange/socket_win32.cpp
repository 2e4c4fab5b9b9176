// STUB: the Windows build has no network transport yet. Every connect fails
// at once with the socket error Winsock gives for an unsupported address
// family, so Load and Save show a warning and change nothing; the Winsock
// transport is the next step of the Windows port.
#include "exchange/id_exceptions.h"
#include "exchange/socket.h"

namespace pellora::exchange {

namespace {

constexpr int kWsaAddressFamilyNotSupported = 10047;  // WSAEAFNOSUPPORT

}  // namespace

bool waitForEvents(int, short, int, int, const std::function<void()>&) { throw EIdNotConnected(); }

Socket::Socket(Socket&& other) noexcept
    : fd_(other.fd_), guard_(other.guard_), readTimeoutMs_(other.readTimeoutMs_) {
  other.fd_ = -1;
}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    fd_ = other.fd_;
    guard_ = other.guard_;
    readTimeoutMs_ = other.readTimeoutMs_;
    other.fd_ = -1;
  }
  return *this;
}

void Socket::close() { fd_ = -1; }

Socket Socket::connect(const std::string&, const std::string&, int, WaitGuard*,
                       const std::function<void(const std::string&)>&) {
  throw EIdSocketError(kWsaAddressFamilyNotSupported,
                       "The network transport is not built into this Windows module yet.");
}

std::size_t Socket::receive(char*, std::size_t) { throw EIdNotConnected(); }

void Socket::sendAll(const char*, std::size_t, const std::function<void(std::size_t)>&) {
  throw EIdNotConnected();
}

bool Socket::peerClosed(int) { return true; }

bool Socket::waitReady(short) { return false; }

}  // namespace pellora::exchange
