// What happens on one client connection apart from the waiting: the
// settings, the sending, and the answer to a complete request. The server's
// loop (listener.h) gathers requests and hands the complete ones to a worker,
// which answers with answerRequest.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/tessaron_server/body_intake.h"
#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"
#include "app/tessaron_server/site.h"

namespace pellora::tessaron {

struct ConnectionSettings {
  SiteConfig site;
  RequestLimits limits;
  Framing framing = Framing::Length;
  // Silence allowed between requests, and between the pieces of one.
  std::chrono::milliseconds idleTimeout{30000};
  // Time allowed for the whole of one request, head and body, from its
  // first byte: a client that trickles cannot hold a connection longer.
  std::chrono::milliseconds requestTimeout{60000};
  // Connections one client address may hold open at once.
  std::size_t maxConnectionsPerAddress = 32;
  // Workers one client address may keep busy at once (a client that reads
  // nothing of a large answer keeps its worker in the send): well below
  // the workers there are, so other addresses are always answered.
  std::size_t maxBusyWorkersPerAddress = 4;
  // Where request bodies go while they arrive, and how much room they get.
  IntakeSettings intake;
};

// Sends all of `bytes` on a socket, waiting at most `limit` each time it
// cannot go on; false when it could not.
bool sendAll(int fd, std::string_view bytes, std::chrono::milliseconds limit);

// Sends what the socket takes at once, without waiting; true when all went.
bool sendNow(int fd, std::string_view bytes);

// Sends the body `reader` holds, framed as `framing`, a piece at a time;
// false when it could not (the client stopped taking it, or the file ended
// early: then the announced length is a lie and the connection must end).
bool sendStream(int fd, BodyReader& reader, Framing framing, std::chrono::milliseconds limit);

// The answer to a request that ends the connection with `status`.
std::string failureAnswer(int status);
// The bytes of `response` as an answer that ends the connection.
std::string closingAnswer(const HttpResponse& response);

enum class AfterAnswer { KeepOpen, Drain, Close };

// Handles a complete request and sends its answer. KeepOpen: the next
// request may follow; Drain: the answer was the last one and the sending
// side is shut, so what the client still sends is to be read and dropped
// before closing (closing at once could reset the answer away); Close: the
// answer could not be sent.
AfterAnswer answerRequest(int fd, HttpRequest request, const ConnectionSettings& settings,
                          ContentStore& store);

}  // namespace pellora::tessaron
