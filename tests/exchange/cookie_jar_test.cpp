#include "exchange/cookie_jar.h"

#include <gtest/gtest.h>

namespace pellora::exchange {
namespace {

constexpr std::time_t kNow = 1700000000;  // 2023-11-14 22:13:20 GMT

TEST(CookieJar, SendsMatchingCookiesLongestPathFirst) {
  CookieJar jar;
  const HttpUrl origin = parseHttpUrl("http://www.example.com/app/login.php");
  jar.store("a=1; Path=/", origin, kNow);
  jar.store("b=2; Path=/app/admin", origin, kNow);
  jar.store("c=3", origin, kNow);  // default path: /app
  jar.store("d=4; Path=/app/; Secure", origin, kNow);
  jar.store("e=5; Domain=.example.com; Path=/app/admin/", origin, kNow);

  struct Row {
    const char* url;
    const char* header;
  };
  const Row rows[] = {
      {"http://www.example.com/app/admin/x.html", "e=5; b=2; c=3; a=1"},
      {"http://www.example.com/app/x.html", "c=3; a=1"},
      {"http://www.example.com/", "a=1"},
      {"http://WWW.Example.COM/", "a=1"},
      {"http://other.example.com/app/admin/", "e=5"},
      {"http://example.com.evil.net/app/admin/", ""},
      {"http://notexample.com/app/admin/", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(jar.cookieHeader(parseHttpUrl(row.url)), row.header) << row.url;
}

TEST(CookieJar, RefusesDomainsTheHostDoesNotLieIn) {
  CookieJar jar;
  const HttpUrl origin = parseHttpUrl("http://www.example.com/");
  jar.store("a=1; Domain=other.com", origin, kNow);
  jar.store("b=2; Domain=ample.com", origin, kNow);
  jar.store("c=3; Domain=sub.www.example.com", origin, kNow);
  jar.store("d=4; Domain=EXAMPLE.com", origin, kNow);
  jar.store("noequals", origin, kNow);
  jar.store("=novalue", origin, kNow);
  ASSERT_EQ(jar.cookies().size(), 1u);
  EXPECT_EQ(jar.cookies()[0].name, "d");
  EXPECT_EQ(jar.cookies()[0].domain, "example.com");
}

TEST(CookieJar, ExpiryDropsAndReplacesCookies) {
  CookieJar jar;
  const HttpUrl origin = parseHttpUrl("http://h/");
  jar.store("short=1; Max-Age=60", origin, kNow);
  jar.store("dated=2; Expires=Wed, 15 Nov 2023 00:00:00 GMT", origin, kNow);
  jar.store("session=3", origin, kNow);
  jar.store("session=4", origin, kNow);  // replaces its namesake
  EXPECT_EQ(jar.cookieHeader(origin), "short=1; dated=2; session=4");

  jar.dropExpired(kNow + 61);
  EXPECT_EQ(jar.cookieHeader(origin), "dated=2; session=4");
  jar.store("dated=x; Max-Age=0", origin, kNow + 61);  // deletes it
  EXPECT_EQ(jar.cookieHeader(origin), "session=4");
  jar.store("late=1; Expires=Thu, 01-Jan-1970 00:00:01 GMT", origin, kNow);
  EXPECT_EQ(jar.cookieHeader(origin), "session=4");
}

TEST(CookieDate, ReadsTheFormatsServersUse) {
  const std::time_t expected = 1700006400;  // 2023-11-15 00:00:00 GMT
  EXPECT_EQ(parseCookieDate("Wed, 15 Nov 2023 00:00:00 GMT"), expected);
  EXPECT_EQ(parseCookieDate("Wednesday, 15-Nov-23 00:00:00 GMT"), expected);
  EXPECT_EQ(parseCookieDate("Wed Nov 15 00:00:00 2023"), expected);
  EXPECT_EQ(parseCookieDate("15 Nov 2023 01:02:03"), expected + 3723);
  EXPECT_EQ(parseCookieDate("tomorrow"), std::nullopt);
  EXPECT_EQ(parseCookieDate("99 Nov 2023"), std::nullopt);
  EXPECT_EQ(parseCookieDate(""), std::nullopt);
}

}  // namespace
}  // namespace pellora::exchange
