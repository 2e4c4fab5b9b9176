// The transport over a real loopback connection, on every system (the
// Winsock one runs under Wine): the connect, a read that pumps the guard
// while it waits, the read time-out, the peer's close, and a refusal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/id_antifreeze.h"
#include "exchange/id_exceptions.h"
#include "exchange/socket.h"
#include "support/fake_platform.h"
#include "support/test_socket.h"

namespace pellora::exchange {
namespace {

TEST(SocketLoopback, AConnectionPumpsWhileWaitingTimesOutAndSeesThePeerGo) {
  int port = 0;
  const test::TestSocket listener = test::listenOnLoopback(port);
  std::vector<std::string> addresses;
  Socket client =
      Socket::connect("127.0.0.1", std::to_string(port), 10000, nullptr,
                      [&](const std::string& address) { addresses.push_back(address); });
  Socket server(test::acceptConnection(listener));
  test::closeSocket(listener);
  EXPECT_EQ(addresses, std::vector<std::string>{"127.0.0.1"});

  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  guard.IdleTimeOut = 50;
  client.setGuard(&TIdAntiFreeze::waitGuard());
  pump.onPump = [&] {
    if (pump.calls == 2) server.sendAll("x", 1);
  };
  char byte = 0;
  EXPECT_EQ(client.receive(&byte, 1), 1u);
  EXPECT_EQ(byte, 'x');
  EXPECT_EQ(pump.calls, 2);

  client.setReadTimeout(120);
  pump.onPump = nullptr;
  EXPECT_THROW(client.receive(&byte, 1), EIdReadTimeout);
  EXPECT_FALSE(client.peerClosed(1));

  server.close();
  EXPECT_TRUE(client.peerClosed(10000));
  EXPECT_EQ(client.receive(&byte, 1), 0u);
  client.close();
  EXPECT_THROW(client.sendAll("y", 1), EIdNotConnected);
}

TEST(SocketLoopback, ARefusedConnectCarriesTheSystemsText) {
  try {
    Socket::connect("127.0.0.1", std::to_string(test::unusedLoopbackPort()), 10000, nullptr);
    ADD_FAILURE() << "no failure";
  } catch (const EIdConnectException& e) {
    EXPECT_EQ(std::string(e.what()), "Connection refused");
  }
}

}  // namespace
}  // namespace pellora::exchange
