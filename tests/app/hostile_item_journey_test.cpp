// Items written to make the editor act for someone else, through the host
// with the real module, WebKit and tessaron-server: loading one contacts no
// address the item names (link hints, images and styles from elsewhere),
// and saving it stores it as it came.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "host_run.h"

namespace pellora {
namespace {

using test::readFile;
using test::writeFile;

// A listener on 127.0.0.2 (another loopback address than the server's) that
// counts the connections made to it; the kernel completes them whether or
// not anyone accepts.
class ConnectionRecorder {
 public:
  ConnectionRecorder() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(0x7F000002);
    socklen_t length = sizeof where;
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 &&
             ::listen(fd_, 64) == 0 &&
             ::getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &length) == 0;
    port_ = ntohs(where.sin_port);
  }
  ~ConnectionRecorder() {
    if (fd_ >= 0) ::close(fd_);
  }
  ConnectionRecorder(const ConnectionRecorder&) = delete;
  ConnectionRecorder& operator=(const ConnectionRecorder&) = delete;

  bool bound() const { return bound_; }
  std::string origin() const { return "http://127.0.0.2:" + std::to_string(port_); }
  int connections() {
    int count = 0;
    for (int client; (client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ++count) {
      ::close(client);
    }
    return count;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  bool bound_ = false;
};

class HostileItemJourneyTest : public test::DemoHostTest {};

TEST_F(HostileItemJourneyTest, LoadingAnItemContactsNoAddressItNames) {
  ConnectionRecorder elsewhere;
  ASSERT_TRUE(elsewhere.bound());
  const std::string at = elsewhere.origin();
  const std::string body =
      "<p>Hallo <a href=\"" + at + "/a\">Link</a></p>\n<link rel=\"preconnect\" href=\"" + at +
      "/\"><LINK REL=DNS-Prefetch HREF=" + at + "/><link rel='prefetch' href='" + at +
      "/p'>\n<link rel=\"pre&#99;onnect\" href=\"" + at + "/encoded\"><link rel=\"preload\" " +
      "as=\"image\" href=\"" + at + "/i.png\"><link rel=\"prerender modulepreload\" href=\"" + at +
      "/r\">\n<link rel=\"icon\" href=\"" + at + "/favicon.ico\"><img src=\"" + at +
      "/img.png\"><link rel=\"stylesheet\" href=\"" + at + "/s.css\">\n<p style=\"background:url(" +
      at + "/bg.png)\">Ende</p>";
  writeFile(item(), body);
  const std::string output = run("wait\nSave\n");
  SCOPED_TRACE(output);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(elsewhere.connections(), 0) << "the item made the editor connect to " << at;
  EXPECT_EQ(readFile(item()), body) << "stored as it came";
}

}  // namespace
}  // namespace pellora
