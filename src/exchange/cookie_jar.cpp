#include "exchange/cookie_jar.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <limits>

#include "content/extract_body.h"
#include "exchange/http_text.h"

// Covered by tests/exchange/cookie_jar_test.cpp.

namespace pellora::exchange {

namespace {

bool isIpAddress(const std::string& host) {
  if (host.find(':') != std::string::npos) return true;
  return !host.empty() && std::all_of(host.begin(), host.end(),
                                      [](unsigned char c) { return std::isdigit(c) || c == '.'; });
}

bool allDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

int toInt(const std::string& digits) {
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

std::string defaultPath(const HttpUrl& url) {
  std::string dir = url.directory();
  if (dir.size() > 1) dir.pop_back();
  return dir;
}

}  // namespace

bool domainMatches(const std::string& host, const std::string& domain) {
  const std::string h = asciiLower(host);
  const std::string d = asciiLower(domain);
  if (h == d) return true;
  if (d.empty() || isIpAddress(h) || h.size() <= d.size()) return false;
  return h.compare(h.size() - d.size(), d.size(), d) == 0 && h[h.size() - d.size() - 1] == '.';
}

std::optional<std::time_t> parseCookieDate(const std::string& text) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  std::optional<int> day, month, year, hour, minute, second;
  std::string token;
  auto takeToken = [&] {
    if (token.empty()) return;
    const std::size_t c1 = token.find(':');
    if (!hour && c1 != std::string::npos) {
      const std::size_t c2 = token.find(':', c1 + 1);
      const std::string h = token.substr(0, c1);
      const std::string m =
          token.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
      const std::string s = c2 == std::string::npos ? "0" : token.substr(c2 + 1);
      if (allDigits(h) && allDigits(m) && allDigits(s) && h.size() <= 2 && m.size() <= 2 &&
          s.size() <= 2) {
        hour = toInt(h);
        minute = toInt(m);
        second = toInt(s);
      }
    } else if (allDigits(token)) {
      if (!day && token.size() <= 2) {
        day = toInt(token);
      } else if (!year && token.size() <= 4) {
        year = toInt(token);
      }
    } else if (!month && token.size() >= 3) {
      const std::string prefix = asciiLower(token.substr(0, 3));
      for (int i = 0; i < 12; ++i) {
        if (prefix == kMonths[i]) month = i;
      }
    }
    token.clear();
  };
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == ':') {
      token += c;
    } else {
      takeToken();
    }
  }
  takeToken();
  if (!day || !month || !year) return std::nullopt;
  int y = *year;
  if (y < 70) {
    y += 2000;
  } else if (y < 100) {
    y += 1900;
  }
  if (*day < 1 || *day > 31 || y < 1601 || hour.value_or(0) > 23 || minute.value_or(0) > 59 ||
      second.value_or(0) > 60) {
    return std::nullopt;
  }
  // Calendar arithmetic instead of timegm, which Windows lacks; a day past
  // the month's end rolls over into the next month as it does there.
  namespace chr = std::chrono;
  const chr::sys_days date =
      chr::sys_days{chr::year{y} / chr::month{static_cast<unsigned>(*month + 1)} / 1} +
      chr::days{*day - 1};
  const auto time = date + chr::hours{hour.value_or(0)} + chr::minutes{minute.value_or(0)} +
                    chr::seconds{second.value_or(0)};
  return static_cast<std::time_t>(time.time_since_epoch().count());
}

void CookieJar::store(const std::string& headerValue, const HttpUrl& url, std::time_t now) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semi = headerValue.find(';', start);
    parts.push_back(
        headerValue.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }

  Cookie cookie;
  const std::size_t eq = parts.front().find('=');
  if (eq == std::string::npos) return;
  cookie.name = content::TrimControl(parts.front().substr(0, eq));
  cookie.value = content::TrimControl(parts.front().substr(eq + 1));
  if (cookie.name.empty()) return;
  if (cookie.name.size() + cookie.value.size() > kMaxCookieBytes) return;

  std::optional<std::time_t> maxAgeExpiry;
  std::optional<std::string> domain;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::size_t aeq = parts[i].find('=');
    const std::string key = asciiLower(content::TrimControl(parts[i].substr(0, aeq)));
    const std::string value =
        aeq == std::string::npos ? "" : content::TrimControl(parts[i].substr(aeq + 1));
    if (key == "expires") {
      cookie.expires = parseCookieDate(value);
    } else if (key == "max-age") {
      std::int64_t seconds = 0;
      auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (!value.empty() && ec == std::errc() && ptr == value.data() + value.size()) {
        // Clamp so that adding to the present cannot overflow.
        seconds = std::clamp<std::int64_t>(seconds, -1, std::int64_t{1} << 40);
        maxAgeExpiry = seconds <= 0 ? now - 1 : now + static_cast<std::time_t>(seconds);
      }
    } else if (key == "domain" && !value.empty()) {
      std::string d = asciiLower(value);
      if (d.front() == '.') d.erase(0, 1);
      domain = d;
    } else if (key == "path" && !value.empty() && value.front() == '/') {
      cookie.path = value;
    } else if (key == "secure") {
      cookie.secure = true;
    }
  }
  if (maxAgeExpiry) cookie.expires = maxAgeExpiry;
  if (domain) {
    // A server may set cookies for its own domain and those above it, never
    // for someone else's.
    if (!domainMatches(url.host, *domain)) return;
    cookie.domain = *domain;
  } else {
    cookie.domain = asciiLower(url.host);
  }
  if (cookie.path.empty()) cookie.path = defaultPath(url);

  std::erase_if(cookies_, [&](const Cookie& c) {
    return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
  });
  if (cookie.expires && *cookie.expires <= now) return;
  cookies_.push_back(std::move(cookie));

  // The store is kept in the order cookies were set, so the oldest come
  // first.
  const std::string stored = cookies_.back().domain;
  const auto inDomain = [&](const Cookie& c) { return c.domain == stored; };
  if (static_cast<std::size_t>(std::count_if(cookies_.begin(), cookies_.end(), inDomain)) >
      kMaxCookiesPerDomain) {
    cookies_.erase(std::find_if(cookies_.begin(), cookies_.end(), inDomain));
  }
  if (cookies_.size() > kMaxCookies) cookies_.erase(cookies_.begin());
}

void CookieJar::dropExpired(std::time_t now) {
  std::erase_if(cookies_, [now](const Cookie& c) { return c.expires && *c.expires <= now; });
}

std::string CookieJar::cookieHeader(const HttpUrl& url) const {
  const std::string directory = url.directory();
  std::vector<const Cookie*> matching;
  for (const Cookie& c : cookies_) {
    if (c.secure || !domainMatches(url.host, c.domain)) continue;
    if (directory.compare(0, c.path.size(), c.path) != 0) continue;
    matching.push_back(&c);
  }
  std::stable_sort(matching.begin(), matching.end(), [](const Cookie* a, const Cookie* b) {
    return a->path.size() > b->path.size();
  });
  std::string header;
  for (const Cookie* c : matching) {
    if (!header.empty()) header += "; ";
    header += c->name + "=" + c->value;
  }
  return header;
}

}  // namespace pellora::exchange
