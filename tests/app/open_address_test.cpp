// pellora: addresses as the host reads them, and the item pages of
// tessaron-server that hand them out.
#include "app/host/open_address.h"

#include <gtest/gtest.h>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/site.h"
#include "support/temp_dir.h"

namespace pellora::host {
namespace {

TEST(OpenAddress, ReadsGoodFormsAndRefusesHostileOnes) {
  struct Case {
    const char* address;
    // Expected url|content|auth|options, or empty for a refusal.
    const char* fields;
  } cases[] = {
      {"pellora:open?url=http%3A%2F%2F127.0.0.1%3A8080%2Ftessaron&content=Sample%201&auth=t0k",
       "http://127.0.0.1:8080/tessaron|Sample 1|t0k|"},
      {"PELLORA:open?url=https://cms.example/t/&content=Gr%C3%BC%C3%9Fe+2&auth=&options=nohtml",
       "https://cms.example/t/|Grüße 2||nohtml"},
      {"pellora:open?content=A&url=http://[::1]:81/x&later=ignored&auth=a%2Bb",
       "http://[::1]:81/x|A|a+b|"},
      {"pellora:open?url=HTTP://Host/&content=A", "HTTP://Host/|A||"},
      // Not a base an editor may send a token to.
      {"pellora:open?url=file:///etc/passwd&content=A&auth=t", ""},
      {"pellora:open?url=javascript:alert(1)&content=A", ""},
      {"pellora:open?url=ftp://host/t&content=A", ""},
      {"pellora:open?url=//host/t&content=A", ""},
      {"pellora:open?url=http://&content=A", ""},
      {"pellora:open?url=http://user@evil.example/t&content=A", ""},
      {"pellora:open?url=http://trusted.example%40evil.example/&content=A", ""},
      {"pellora:open?url=http://host:0/t&content=A", ""},
      {"pellora:open?url=http://host:99999/t&content=A", ""},
      {"pellora:open?url=http://host:8o/t&content=A", ""},
      {"pellora:open?url=http://host/t%3Fx=1&content=A", ""},
      {"pellora:open?url=http://host/t%23top&content=A", ""},
      {"pellora:open?url=http://ho%20st/&content=A", ""},
      // Fields missing, doubled, badly encoded or carrying what they must not.
      {"pellora:open?content=A&auth=t", ""},
      {"pellora:open?url=http://host/t&auth=t", ""},
      {"pellora:open?url=http://host/t&content=../secret", ""},
      {"pellora:open?url=http://host/t&content=a%5Cb", ""},
      {"pellora:open?url=http://host/t&content=A&url=http://evil/", ""},
      {"pellora:open?url=http://host/t&content=A&auth", ""},
      {"pellora:open?url=http://host/t&content=A%0D%0AX", ""},
      {"pellora:open?url=http://host/t&content=A%00", ""},
      {"pellora:open?url=http://host/t&content=A%", ""},
      {"pellora:open?url=http://host/t&content=A%4", ""},
      {"pellora:open?url=http://host/t&content=A%zz", ""},
      {"pellora:open?url=http://host/t&content=%FF%FE", ""},
      {"pellora:open?url=http://host/t&content=A%22%20%22x", ""},
      {"pellora:open?url=http://host/t&content=A B", ""},
      // Not the one action.
      {"pellora:edit?url=http://host/t&content=A", ""},
      {"pellora://open?url=http://host/t&content=A", ""},
      {"http://host/t", ""},
      {"pellora:", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const ParsedOpenAddress parsed = parseOpenAddress(c.address);
    if (*c.fields == '\0') {
      EXPECT_FALSE(parsed.request);
      EXPECT_FALSE(parsed.error.empty()) << "a refusal says why";
      continue;
    }
    ASSERT_TRUE(parsed.request) << parsed.error;
    const OpenRequest& r = *parsed.request;
    EXPECT_EQ(r.url + "|" + r.content + "|" + r.auth + "|" + r.options, c.fields);
  }
  const std::string tooLong =
      "pellora:open?url=http://host/t&content=A&pad=" + std::string(9000, 'x');
  EXPECT_FALSE(parseOpenAddress(tooLong).request);
}

TEST(OpenAddress, NamesEachInstallationOneWay) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://127.0.0.1:8080/tessaron", "http://127.0.0.1:8080/tessaron"},
      {"HTTP://CMS.Example:80/Tessaron/", "http://cms.example/Tessaron"},
      {"https://cms.example:443", "https://cms.example"},
      {"https://cms.example:80/t", "https://cms.example:80/t"},
      {"http://[::1]:81/x//", "http://[::1]:81/x"},
  };
  for (const auto& [url, key] : cases) EXPECT_EQ(installationKey(url), key) << url;
}

TEST(ItemPage, OffersTheItemToPelloraOnlyToWhoeverHoldsTheToken) {
  test::TempDir dir;
  const auto contents = dir.path() / "contents";
  std::filesystem::create_directories(contents);
  test::writeFile(contents / "Sample 1.html", "<p>Hallo</p>");
  tessaron::DiskContentStore store(contents);
  const tessaron::SiteConfig site{"/tessaron", "s3cret"};
  auto get = [&](const std::string& target, const std::string& host = "127.0.0.1:4711") {
    tessaron::HttpRequest request;
    request.method = "GET";
    request.target = target;
    if (!host.empty()) request.headers = {{"Host", host}};
    return tessaron::handleRequest(std::move(request), site, store);
  };

  const auto page = get("/tessaron/items/Sample%201?auth=s3cret");
  ASSERT_EQ(page.status, 200);
  const std::string href = "href=\"";
  const auto link = page.body.find(href, page.body.find("id=\"open-in-pellora\""));
  ASSERT_NE(link, std::string::npos) << page.body;
  std::string address = page.body.substr(
      link + href.size(), page.body.find('"', link + href.size()) - link - href.size());
  for (std::size_t at; (at = address.find("&amp;")) != std::string::npos;)
    address.replace(at, 5, "&");
  const auto parsed = parseOpenAddress(address);
  ASSERT_TRUE(parsed.request) << address << ": " << parsed.error;
  EXPECT_EQ(parsed.request->url, "http://127.0.0.1:4711/tessaron");
  EXPECT_EQ(parsed.request->content, "Sample 1");
  EXPECT_EQ(parsed.request->auth, site.token);

  EXPECT_EQ(get("/tessaron/items/Sample%201").status, 403);
  EXPECT_EQ(get("/tessaron/items/Sample%201?auth=wrong").status, 403);
  EXPECT_EQ(get("/tessaron/items/Missing?auth=s3cret").status, 404);
  EXPECT_EQ(get("/tessaron/items/..?auth=s3cret").status, 404);
  EXPECT_EQ(get("/tessaron/items/Sample%201?auth=s3cret", "evil\"><script>").status, 400);
  EXPECT_EQ(get("/tessaron/items/Sample%201?auth=s3cret", "").status, 400);
}

}  // namespace
}  // namespace pellora::host
