// Covered by tests/app/tessaron_server_slow_client_test.cpp (RequestReader*)
// and the Served* tests.
#include "app/tessaron_server/request_reader.h"

#include <algorithm>

namespace pellora::tessaron {

namespace {

// A body is given room for its announced length only once this much of it
// has come, so a client that announces much and sends little holds little.
constexpr std::size_t kReserveAfter = 1 << 20;

}  // namespace

void RequestReader::feed(std::string_view bytes) {
  if (state_ == State::Failed) return;
  if (state_ == State::Complete) {
    leftover_.append(bytes);
    return;
  }
  if (bytes.empty()) return;
  if (haveHead_) {
    appendBody(bytes);
    return;
  }
  head_.append(bytes);
  state_ = State::Partial;
  parseHead();
}

void RequestReader::parseHead() {
  HeadParse head = parseRequestHead(head_, limits_);
  if (head.state == HeadParse::State::Incomplete) return;
  if (head.state == HeadParse::State::Failed) {
    state_ = State::Failed;
    status_ = head.status;
    head_.clear();
    return;
  }
  haveHead_ = true;
  request_ = std::move(head.request);
  bodyBytes_ = head.bodyBytes;
  const std::string rest = head_.substr(head.headBytes);
  head_.clear();
  head_.shrink_to_fit();
  appendBody(rest);
}

void RequestReader::appendBody(std::string_view bytes) {
  std::string& body = request_.body;
  const std::size_t wanted = std::min(bytes.size(), bodyBytes_ - body.size());
  if (body.size() + wanted > body.capacity() && body.size() + wanted > kReserveAfter) {
    // Growing by doubling would hold the old and the new copy at once, up
    // to twice the body; once the body is really coming, take room for
    // all of it instead.
    body.reserve(bodyBytes_);
  }
  body.append(bytes.substr(0, wanted));
  leftover_.append(bytes.substr(wanted));
  if (request_.body.size() == bodyBytes_) state_ = State::Complete;
}

bool RequestReader::awaitsContinue() const {
  if (!haveHead_ || state_ != State::Partial || !request_.body.empty()) return false;
  const auto expect = request_.header("Expect");
  return expect && equalsIgnoreCase(*expect, "100-continue");
}

HttpRequest RequestReader::take() {
  HttpRequest request = std::move(request_);
  request_ = HttpRequest();
  haveHead_ = false;
  bodyBytes_ = 0;
  state_ = State::Empty;
  std::string next = std::move(leftover_);
  leftover_.clear();
  feed(next);
  return request;
}

}  // namespace pellora::tessaron
