// From the installation's web page to the editor: the item page's "Open in
// Pellora" address, handed to the host as the desktop hands it over, opens
// the item once the user agreed to its installation, and the agreement is
// remembered.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/loopback_client.h"
#include "app/tessaron_server_process.h"
#include "host_run.h"

namespace pellora {
namespace {

// The body of a plain GET, as a browser fetches the page.
std::string fetch(int port, const std::string& target) {
  tessaron::Fd connection = test::connectFromLoopback(1, port);
  const std::string request =
      "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
  EXPECT_EQ(::write(connection.get(), request.data(), request.size()),
            static_cast<ssize_t>(request.size()));
  std::string answer;
  char piece[4096];
  for (ssize_t n; (n = ::read(connection.get(), piece, sizeof piece)) > 0;) answer.append(piece, n);
  const auto body = answer.find("\r\n\r\n");
  return body == std::string::npos ? answer : answer.substr(body + 4);
}

std::string linkOf(const std::string& page, const std::string& id) {
  const std::string href = "href=\"";
  const auto at = page.find(href, page.find("id=\"" + id + "\""));
  if (at == std::string::npos) return {};
  std::string link =
      page.substr(at + href.size(), page.find('"', at + href.size()) - at - href.size());
  for (std::size_t amp; (amp = link.find("&amp;")) != std::string::npos;) link.replace(amp, 5, "&");
  return link;
}

TEST(OpenAddressJourney, TheItemPagesLinkOpensTheItemOnceTheUserAgreed) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "site/contents");
  std::filesystem::create_directories(dir.path() / "registry");
  test::writeFile(dir.path() / "site/contents/Sample 1.html", "<p>Hallo Welt</p>");
  test::ServerProcess server({"--root", (dir.path() / "site").string(), "--token", "s3cret"});

  const std::string address =
      linkOf(fetch(server.port(), "/tessaron/items/Sample%201?auth=s3cret"), "open-in-pellora");
  ASSERT_EQ(address.rfind("pellora:", 0), 0u) << "the page offers no pellora: address";
  int status = 0;
  auto open = [&](const std::string& steps) {
    test::writeFile(dir.path() / "script.txt", steps);
    return test::captureOutput(
        test::hostCommand(
            dir.path() / "registry",
            "--script '" + (dir.path() / "script.txt").string() + "' '" + address + "'"),
        status);
  };
  const auto remembered = [&] {
    return test::readFile(dir.path() / "registry/HKEY_CURRENT_USER.reg").find(server.baseUrl()) !=
           std::string::npos;
  };
  const std::string question = "Open \u201CSample 1\u201D from " + server.baseUrl() + "?";

  std::string output = open("answer Cancel\n");
  EXPECT_EQ(test::exitCodeOf(status), 1) << output;
  EXPECT_NE(output.find(question), std::string::npos) << output;
  EXPECT_EQ(output.find("Hallo Welt"), std::string::npos) << "nothing loaded";
  EXPECT_FALSE(remembered());

  output = open("answer Open\nbody\n");
  EXPECT_EQ(test::exitCodeOf(status), 0) << output;
  EXPECT_NE(output.find("Hallo Welt"), std::string::npos) << output;
  EXPECT_TRUE(remembered());

  output = open("body\n");
  EXPECT_EQ(test::exitCodeOf(status), 0) << output;
  EXPECT_EQ(output.find(question), std::string::npos) << "asked again: " << output;
  EXPECT_NE(output.find("Hallo Welt"), std::string::npos) << output;
}

}  // namespace
}  // namespace pellora
