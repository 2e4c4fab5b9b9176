// A request address as the HTTP client sees it. Callers hand over addresses
// that are already percent-encoded; the client only splits them into the
// parts it puts on the wire and never re-encodes anything. User name and
// password are recognised so that they do not end up in the host, and are
// never sent.
#pragma once

#include <string>

namespace pellora::exchange {

struct HttpUrl {
  std::string scheme;    // "http" when the address names none
  std::string user;      // parsed, never sent
  std::string password;  // parsed, never sent
  std::string host;
  std::string port;    // as written, or the scheme's default
  std::string target;  // path and query, no fragment; never empty

  // "Host" header value: the host, plus ":port" unless the port is 80.
  std::string hostHeader() const;
  // Request target through a proxy: scheme://host:port/target.
  std::string absoluteTarget() const;
  // Directory part of the path ("/a/b/" for "/a/b/c.html?x"), for cookies.
  std::string directory() const;
};

HttpUrl parseHttpUrl(const std::string& url);

// Port text as a number; -1 when it is not a decimal number in 0..65535.
int portNumber(const std::string& port);

}  // namespace pellora::exchange
