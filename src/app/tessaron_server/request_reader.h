// Gathers one request at a time from the bytes a connection receives: the
// head, then exactly the body it announces, which goes where the server's
// intake puts it (memory or a spool file; see body_intake.h) and from there
// into the request, without a second copy. Bytes beyond the request wait
// for the next one. No socket I/O: the caller receives and feeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/tessaron_server/body_intake.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"

namespace pellora::tessaron {

class RequestReader {
 public:
  // Without an intake, bodies are held in memory, unbudgeted.
  explicit RequestReader(const RequestLimits& limits, BodyIntake* intake = nullptr,
                         std::uint32_t address = 0)
      : limits_(limits), intake_(intake), address_(address) {}

  enum class State {
    Empty,     // no byte of the next request yet
    Partial,   // part of a request
    Complete,  // a whole request: take() it
    Failed,    // broken beyond repair or no room for it: answer()
    Refused,   // refused before its body was whole (an upload without its token): answer()
  };
  State state() const { return state_; }

  // Adds received bytes; once Complete they wait for the next request,
  // once Failed or Refused they are ignored.
  void feed(std::string_view bytes);

  // The complete request; the reader goes on with the bytes that followed
  // it, which may already hold the next one.
  HttpRequest take();

  int failureStatus() const { return status_; }
  // The answer to a Failed or Refused request, which ends the connection.
  HttpResponse answer() const;
  // True when the head is complete, asks for "100-continue" and no byte of
  // its body has come yet.
  bool awaitsContinue() const;

 private:
  void parseHead();
  void appendBody(std::string_view bytes);
  void end(State state, int status, std::string text);

  RequestLimits limits_;
  BodyIntake* intake_;
  std::uint32_t address_;
  State state_ = State::Empty;
  bool haveHead_ = false;
  std::string head_;      // received bytes while the head is incomplete
  std::string leftover_;  // bytes beyond the current request
  HttpRequest request_;
  std::unique_ptr<IncomingBody> body_;
  std::size_t bodyBytes_ = 0;
  std::size_t received_ = 0;
  int status_ = 0;
  std::string text_;  // of the answer, when not the status's own
};

}  // namespace pellora::tessaron
