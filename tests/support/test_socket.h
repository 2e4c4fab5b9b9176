// The few socket calls the tests' own servers need, one file per system
// (test_socket_posix.cpp, test_socket_win32.cpp), so the servers run on
// both. Sockets listen on 127.0.0.1 with a port the system chooses, so
// tests never collide.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellora::test {

// A descriptor, or a SOCKET on Windows; -1 is none.
using TestSocket = std::intptr_t;

// Listens on 127.0.0.1 with an ephemeral port; gives the socket and keeps
// the port in `port`. Throws when it cannot.
TestSocket listenOnLoopback(int& port);
// A loopback port on which nothing listens: bound, then released, so a
// connection to it is refused.
int unusedLoopbackPort();
// The next connection of `listener`; -1 on failure.
TestSocket acceptConnection(TestSocket listener);
// A connection to 127.0.0.1:`port`; -1 on failure.
TestSocket connectToLoopback(int port);
// Waits up to `waitMs` for `socket` to become readable (or writable); true
// when it did, or when the socket failed (the next call then reports it).
bool waitReady(TestSocket socket, bool forWriting, int waitMs);
// One send or receive; the count moved, 0 at the end of the stream, < 0 on
// failure.
long sendSome(TestSocket socket, const char* data, std::size_t size);
long receiveSome(TestSocket socket, char* buffer, std::size_t capacity);
void closeSocket(TestSocket socket);

}  // namespace pellora::test
