// The bundled Tessaron server, run as its own process, with large request
// bodies: a save and an upload of several MiB are stored byte for byte by
// way of spool files; and one address that opens many connections, each
// sending a large body without a token and stopping midway, holds little of
// the server's memory while another client is served. Connections come from
// several loopback addresses (127.0.0.0/8 all reach the server) to stand for
// several clients.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/tessaron_server/connection.h"
#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/form_body.h"
#include "loopback_client.h"
#include "support/temp_dir.h"
#include "tessaron_server_process.h"

namespace pellora::tessaron {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMiB = 1 << 20;

// The number after `key` in /proc/<pid>/<file>.
std::size_t procValue(pid_t pid, const std::string& file, const std::string& key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  std::string word;
  while (in >> word) {
    std::size_t value = 0;
    if (word == key && in >> value) return value;
  }
  ADD_FAILURE() << "no " << key << " in /proc/" << pid << "/" << file;
  return 0;
}

class LargeBodyTest : public ::testing::Test {
 protected:
  // The server made the contents folder before it announced itself.
  LargeBodyTest() { pellora::test::writeFile(root.path() / "contents" / "a.html", "<P>a</P>"); }

  // A connection from 127.0.0.<host>.
  Fd connectFrom(int host) const { return test::connectFromLoopback(host, server.port()); }

  pellora::test::TempDir root;
  pellora::test::ServerProcess server{
      {"--root", root.path().string(), "--token", "T0k", "--base", "/t"}};
};

// The body of the first answer (up to its Content-Length), within 20 s.
std::string answerBody(const Fd& fd) {
  std::string all;
  char piece[4096];
  pollfd entry{fd.get(), POLLIN, 0};
  while (::poll(&entry, 1, 20000) > 0) {
    const ssize_t n = ::recv(fd.get(), piece, sizeof piece, 0);
    if (n <= 0) break;
    all.append(piece, static_cast<std::size_t>(n));
    const std::size_t end = all.find("\r\n\r\n"), length = all.find("Content-Length: ");
    if (end != std::string::npos && length < end &&
        all.size() >= end + 4 + std::stoul(all.substr(length + 16))) {
      return all.substr(end + 4);
    }
  }
  return "<no answer>";
}

std::string post(const std::string& type, const std::string& body) {
  return "POST /t/edit.php HTTP/1.1\r\nHost: h\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST_F(LargeBodyTest, SavesAndUploadsOfSeveralMiBAreStoredByteExact) {
  // Escaped Windows-1252 text, so escapes fall across the pieces a spooled
  // body is read in; image bytes that look like the upload's delimiter again
  // and again.
  std::mt19937 random(3);
  std::string escaped, image;
  while (escaped.size() < 3 * kMiB) escaped += random() % 2 ? "%E4%3C" : "K+";
  while (image.size() < 3 * kMiB) {
    image += random() % 8 ? std::string(1, static_cast<char>(random())) : "\r\n--Bound";
  }
  const std::string html = percentDecode(escaped);
  const struct {
    std::string wire, file, stored;
  } requests[] = {
      {post("application/x-www-form-urlencoded",
            "content=Big&htmlsource=" + escaped + "&auth=T0k&edtype=ax&"),
       "Big.html", html},
      {post("multipart/form-data; boundary=Boundary",
            "--Boundary\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\nT0k\r\n"
            "--Boundary\r\n"
            "Content-Disposition: form-data; name=\"imagefile\"; filename=\"C:\\b.gif\"\r\n\r\n" +
                image + "\r\n--Boundary--\r\n"),
       "b.gif", image},
  };
  for (const auto& r : requests) {
    const Fd fd = connectFrom(1);
    ASSERT_TRUE(sendAll(fd.get(), r.wire, std::chrono::milliseconds(20000)));
    EXPECT_EQ(answerBody(fd), "OK") << r.file;
    EXPECT_TRUE(pellora::test::readFile(root.path() / "contents" / r.file) == r.stored) << r.file;
  }
}

// Sends `start`, then filler, as fast as the server takes it, until the
// server answers or ends the connection or `most` bytes went; how many went.
std::size_t pushUntilAnswered(const Fd& fd, std::string_view start, std::size_t most) {
  const std::string filler(64 * 1024, 'f');
  std::string_view pending = start;
  std::size_t sent = 0;
  while (sent < most) {
    pollfd entry{fd.get(), POLLIN | POLLOUT, 0};
    if (::poll(&entry, 1, 10000) <= 0 || (entry.revents & ~POLLOUT)) break;
    if (pending.empty()) pending = std::string_view(filler).substr(0, most - sent);
    const ssize_t n = ::send(fd.get(), pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
    pending.remove_prefix(static_cast<std::size_t>(n));
  }
  return sent;
}

TEST_F(LargeBodyTest, TokenlessBodiesFromOneAddressAreCutShortAndHoldLittleMemory) {
  constexpr int kConnections = 32;  // as many as one address may hold
  const std::string head =
      "POST /t/edit.php HTTP/1.1\r\nHost: h\r\nContent-Length: 64000000\r\nContent-Type: ";
  // Uploads of 64 MB, the file part first or after a wrong token: each is
  // refused before a fraction of it went.
  const std::string file =
      "--B\r\nContent-Disposition: form-data; name=\"imagefile\"; filename=\"p.gif\"\r\n\r\n";
  const std::string wrongToken =
      "--B\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\nx\r\n";
  std::vector<Fd> held;
  for (int i = 0; i < kConnections; ++i) {
    held.push_back(connectFrom(2));
    const std::string start =
        head + "multipart/form-data; boundary=B\r\n\r\n" + (i % 2 ? wrongToken : "") + file;
    EXPECT_LT(pushUntilAnswered(held.back(), start, 16 * kMiB), 16 * kMiB) << i;
    EXPECT_EQ(answerBody(held.back()), kAccessDenied) << i;
  }

  // Saves of 64 MB whose token would come last, stopped after 4 MiB each:
  // they are taken in as far as they came, into spool files.
  const pid_t pid = server.pid();
  const std::size_t writtenBefore = procValue(pid, "io", "wchar:");
  for (int i = 0; i < kConnections / 2; ++i) {
    held.push_back(connectFrom(3));
    const std::string start =
        head + "application/x-www-form-urlencoded\r\n\r\ncontent=x&htmlsource=";
    EXPECT_EQ(pushUntilAnswered(held.back(), start, 4 * kMiB), 4 * kMiB) << "no answer yet";
  }
  const std::size_t bodies = kConnections / 2 * (4 * kMiB - 1000);  // less the heads
  for (const auto until = Clock::now() + std::chrono::seconds(20);
       procValue(pid, "io", "wchar:") - writtenBefore < bodies && Clock::now() < until;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // it writes at its own pace
  }
  ASSERT_GE(procValue(pid, "io", "wchar:") - writtenBefore, bodies) << "the server spooled them";

  const std::size_t residentMiB = procValue(pid, "status", "VmRSS:") / 1024;
  RecordProperty("resident_mib", static_cast<int>(residentMiB));
  EXPECT_LT(residentMiB, 48u) << "held in memory, the bodies would be far more";

  const auto asked = Clock::now();
  const Fd normal = connectFrom(1);
  const std::string get = "GET /t/contents/a.html HTTP/1.1\r\nHost: h\r\n\r\n";
  ASSERT_TRUE(sendAll(normal.get(), get, std::chrono::milliseconds(1000)));
  EXPECT_EQ(answerBody(normal), "<P>a</P>");
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked);
  RecordProperty("get_ms", static_cast<int>(took.count()));
  EXPECT_LT(took.count(), 1000);
}

}  // namespace
}  // namespace pellora::tessaron
