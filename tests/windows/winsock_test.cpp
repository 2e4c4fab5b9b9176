// Winsock's numbers and texts in the client's failures, under Wine.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <string>

#include "exchange/id_exceptions.h"
#include "exchange/socket.h"
#include "exchange/winsock_support.h"
#include "support/test_socket.h"

namespace pellora::exchange {
namespace {

TEST(Winsock, FailuresCarryWinsocksNumbersAndTheirTexts) {
  // A URL without a host: no name to resolve, not this computer.
  try {
    Socket::connect("", "80", 10000, nullptr);
    ADD_FAILURE() << "no failure";
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), WSAHOST_NOT_FOUND);
    EXPECT_EQ(std::string(e.what()), "Socket Error # 11001\r\nHost not found");
  }
  EXPECT_EQ(winsockErrorText(12345), "Unknown error 12345");
}

}  // namespace
}  // namespace pellora::exchange
