// The HTTP client's cookie store. Cookies arrive in "Set-Cookie" and
// "Set-Cookie2" headers and go back in one "Cookie" header to every request
// whose host lies in their domain and whose directory lies under their path.
// The client has no TLS, so cookies marked secure are kept but never sent.
// Time is passed in, so that expiry is testable.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "exchange/http_url.h"

namespace pellora::exchange {

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;  // lower case, without a leading "."
  std::string path;
  std::optional<std::time_t> expires;  // none: lasts as long as the store
  bool secure = false;
};

// Limits of the store, as browsers keep them: the least RFC 6265 asks a
// client to hold, so that a server cannot make every later request carry
// megabytes of cookies.
inline constexpr std::size_t kMaxCookieBytes = 4096;  // name and value
inline constexpr std::size_t kMaxCookiesPerDomain = 50;
inline constexpr std::size_t kMaxCookies = 3000;

class CookieJar {
 public:
  // Stores the cookie of one header value received for `url`. A cookie that
  // names a domain the request host does not lie in is refused, and so is a
  // cookie without a name or one whose name and value exceed
  // kMaxCookieBytes. A cookie that is already expired removes its stored
  // namesake. Beyond kMaxCookiesPerDomain cookies of its domain, or
  // kMaxCookies in all, the oldest stored ones are dropped.
  void store(const std::string& headerValue, const HttpUrl& url, std::time_t now);
  void dropExpired(std::time_t now);
  // "name=value; ..." of the cookies to send with a request for `url`,
  // longest path first; empty when there are none.
  std::string cookieHeader(const HttpUrl& url) const;

  const std::vector<Cookie>& cookies() const { return cookies_; }

 private:
  std::vector<Cookie> cookies_;
};

// True when `host` is `domain` or lies below it (both compared ignoring case).
bool domainMatches(const std::string& host, const std::string& domain);

// Reads the date formats servers use in "expires" (RFC 1123, RFC 850 and
// asctime forms, leniently); nothing when no date can be made of it.
std::optional<std::time_t> parseCookieDate(const std::string& text);

}  // namespace pellora::exchange
