// One client connection: requests are read, handled and answered in turn
// until the client or the answer ends the connection, the client stays
// silent longer than the idle time-out, or a request breaks the rules (it is
// answered with its error status, then the connection is closed).
#pragma once

#include <chrono>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"
#include "app/tessaron_server/site.h"

namespace pellora::tessaron {

struct ConnectionSettings {
  SiteConfig site;
  RequestLimits limits;
  Framing framing = Framing::Length;
  std::chrono::milliseconds idleTimeout{30000};
};

// Serves `socket` until the connection ends; never throws.
void serveConnection(Fd socket, const ConnectionSettings& settings, ContentStore& store);

}  // namespace pellora::tessaron
