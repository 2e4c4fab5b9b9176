// Test connections to a server on loopback that come from another loopback
// address (127.0.0.<host>), so per-address limits can be exercised.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

#include "app/tessaron_server/fd.h"

namespace pellora::test {

inline tessaron::Fd connectFromLoopback(int host, int port) {
  tessaron::Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + static_cast<std::uint32_t>(host));
  EXPECT_EQ(::bind(fd.get(), reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  return fd;
}

}  // namespace pellora::test
