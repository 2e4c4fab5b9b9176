#include "exchange/http_url.h"

#include <gtest/gtest.h>

#include "exchange/http_form.h"

namespace pellora::exchange {
namespace {

TEST(HttpUrl, SplitsAddressesIntoWhatGoesOnTheWire) {
  struct Row {
    const char* url;
    const char* host;
    const char* port;
    const char* target;
    const char* hostHeader;
    const char* absolute;
  };
  const Row rows[] = {
      {"http://h/a/b.html", "h", "80", "/a/b.html", "h", "http://h:80/a/b.html"},
      {"http://h:8080/x?y=1#frag", "h", "8080", "/x?y=1", "h:8080", "http://h:8080/x?y=1"},
      {"http://h:80/x", "h", "80", "/x", "h", "http://h:80/x"},
      {"h/no/scheme", "h", "80", "/no/scheme", "h", "http://h:80/no/scheme"},
      {"http://h", "h", "80", "/", "h", "http://h:80/"},
      {"http://h#only", "h", "80", "/", "h", "http://h:80/"},
      {"http://h:81?q=1", "h", "81", "/?q=1", "h:81", "http://h:81/?q=1"},
      {"http:\\\\h\\dir\\f.html", "h", "80", "/dir/f.html", "h", "http://h:80/dir/f.html"},
      {"http://user:p@ss@h:81/x", "h", "81", "/x", "h:81", "http://h:81/x"},
      {"http://[::1]:8000/x", "::1", "8000", "/x", "[::1]:8000", "http://[::1]:8000/x"},
      {"http://h/sp%20ace", "h", "80", "/sp%20ace", "h", "http://h:80/sp%20ace"},
      {"https://h/x", "h", "443", "/x", "h:443", "https://h:443/x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    const HttpUrl url = parseHttpUrl(row.url);
    EXPECT_EQ(url.host, row.host);
    EXPECT_EQ(url.port, row.port);
    EXPECT_EQ(url.target, row.target);
    EXPECT_EQ(url.hostHeader(), row.hostHeader);
    EXPECT_EQ(url.absoluteTarget(), row.absolute);
  }
  const HttpUrl withCredentials = parseHttpUrl("http://user:p@ss@h:81/x");
  EXPECT_EQ(withCredentials.user, "user");
  EXPECT_EQ(withCredentials.password, "p@ss");
}

TEST(HttpUrl, DirectoryIsThePathUpToItsLastSlash) {
  EXPECT_EQ(parseHttpUrl("http://h/a/b/c.html?x=/y").directory(), "/a/b/");
  EXPECT_EQ(parseHttpUrl("http://h/a/").directory(), "/a/");
  EXPECT_EQ(parseHttpUrl("http://h").directory(), "/");
}

TEST(HttpForm, JoinsFieldLinesTheWayTheServerScriptExpects) {
  struct Row {
    std::vector<std::string> fields;
    std::string body;
  };
  const Row rows[] = {
      {{"content=x", "htmlsource=y", "auth=z", "edtype=ax"},
       "content=x&htmlsource=y&auth=z&edtype=ax&"},
      {{"a=1", "b=2"}, "a=1&b=2&"},
      {{"single=1"}, "single=1"},
      {{" single=1 \r\n"}, "single=1"},
      {{}, ""},
      {{"a=1\r\nb", "c=2"}, "a=1&b&c=2&"},
      {{"a=1\n", "c=2"}, "a=1\n&c=2&"},
  };
  for (const Row& row : rows) EXPECT_EQ(formPostBody(row.fields), row.body);
  EXPECT_EQ(formPostBody({"content=x", "htmlsource=y", "auth=z", "edtype=ax"}).size(), 40u);
}

TEST(HttpForm, ReplacesOnlyAnEmptyOrHtmlContentType) {
  const std::string form = "application/x-www-form-urlencoded";
  EXPECT_EQ(formPostContentType(""), form);
  EXPECT_EQ(formPostContentType("text/html"), form);
  EXPECT_EQ(formPostContentType("Text/HTML"), form);
  EXPECT_EQ(formPostContentType("multipart/form-data; boundary=b"),
            "multipart/form-data; boundary=b");
  EXPECT_EQ(formPostContentType("text/plain"), "text/plain");
}

}  // namespace
}  // namespace pellora::exchange
