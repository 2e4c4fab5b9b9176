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

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

std::vector<std::string> folderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// An item naming the user's pictures in every spelling the engine reads as
// a local file: saved with the image dialog accepted as offered, none of
// them is sent; a file that only begins like a picture is refused even when
// the user added it; a picture the user added arrives.
TEST_F(HostileItemJourneyTest, LocalFilesAnItemNamesAreNeverSentUnasked) {
  const std::filesystem::path home = dir / "home";
  std::filesystem::create_directories(home);
  const auto picture = [&](int n) {
    const std::filesystem::path file = home / ("p" + std::to_string(n) + ".png");
    writeFile(file, test::smallPng());
    return file.string();
  };
  const std::vector<std::string> spellings = {
      "<img src=\"file://" + picture(1) + "\">",
      "<img src='file://" + picture(2) + "'>",
      "<img src=file://" + picture(3) + ">",
      "<img src=\"&#102;ile://" + picture(4) + "\">",
      "<img src=\"file:&#x2F;/" + picture(5) + "\">",
      "<img src=\"pellora-local://" + picture(6) + "\">",
      "<img src = \"file://" + picture(7) + "\">",
      "<img alt=\">\" src=\"file://" + picture(8) + "\">",
      "<image src=\"file://" + picture(9) + "\">",
      "<IMG SRC=\"FILE://" + picture(10) + "\">",
      "<img src=\"file://localhost" + picture(11) + "\">",
      "<img src=\"  file://" + picture(12) + "  \">",
      "<img src=\"file:" + picture(13) + "\">",
  };
  std::string body = "<p>";
  for (const std::string& spelling : spellings) body += spelling;
  body += " Ende</p>";
  writeFile(item(), body);
  const std::string fake = (home / "fake.png").string();
  writeFile(fake, test::smallPng().substr(0, 40) + "private text, not image data");
  const std::string fresh = (home / "fresh.png").string();
  writeFile(fresh, test::smallPng());
  const auto addAndSave = [&](const std::string& file, const std::string& thenAnswer) {
    return run("wait\ncaret Ende start\nfill Address: \"file://" + file +
               "\"\nanswer OK\nclick btnImage\nanswer OK\n" + thenAnswer + "Save\n");
  };

  const std::string refused = addAndSave(fake, "answer OK\n");
  SCOPED_TRACE(refused);
  EXPECT_NE(refused.find("is not an image!"), std::string::npos);
  EXPECT_EQ(readFile(item()), body) << "not stored";
  EXPECT_EQ(folderNames(contents()), std::vector<std::string>{"Sample 1.html"});

  const std::string saved = addAndSave(fresh, "");
  SCOPED_TRACE(saved);
  EXPECT_EQ(folderNames(contents()), (std::vector<std::string>{"Sample 1.html", "fresh.png"}));
  const std::string stored = readFile(item());
  EXPECT_NE(stored.find("/contents/fresh.png\""), std::string::npos) << stored;
  EXPECT_NE(stored.find(spellings[0] + spellings[1] + spellings[2]), std::string::npos)
      << "the item's own references stay as written: " << stored;
}

}  // namespace
}  // namespace pellora
