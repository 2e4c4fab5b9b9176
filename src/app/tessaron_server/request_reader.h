// Gathers one request at a time from the bytes a connection receives: the
// head, then exactly the body it announces, which goes straight into the
// request (no second copy of a large body). Bytes beyond the request wait
// for the next one. No I/O: the caller receives and feeds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/tessaron_server/http_request.h"

namespace pellora::tessaron {

class RequestReader {
 public:
  explicit RequestReader(const RequestLimits& limits) : limits_(limits) {}

  enum class State {
    Empty,     // no byte of the next request yet
    Partial,   // part of a request
    Complete,  // a whole request: take() it
    Failed,    // broken beyond repair: answer failureStatus()
  };
  State state() const { return state_; }

  // Adds received bytes; once Complete they wait for the next request,
  // once Failed they are ignored.
  void feed(std::string_view bytes);

  // The complete request; the reader goes on with the bytes that followed
  // it, which may already hold the next one.
  HttpRequest take();

  int failureStatus() const { return status_; }
  // True when the head is complete, asks for "100-continue" and no byte of
  // its body has come yet.
  bool awaitsContinue() const;

 private:
  void parseHead();
  void appendBody(std::string_view bytes);

  RequestLimits limits_;
  State state_ = State::Empty;
  bool haveHead_ = false;
  std::string head_;      // received bytes while the head is incomplete
  std::string leftover_;  // bytes beyond the current request
  HttpRequest request_;
  std::size_t bodyBytes_ = 0;
  int status_ = 0;
};

}  // namespace pellora::tessaron
