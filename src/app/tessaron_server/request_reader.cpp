// Covered by tests/app/tessaron_server_slow_client_test.cpp (RequestReader*),
// tests/app/tessaron_server_upload_test.cpp (BodyIntake*),
// tests/app/tessaron_server_large_body_test.cpp and the Served* tests.
#include "app/tessaron_server/request_reader.h"

#include <algorithm>

namespace pellora::tessaron {

void RequestReader::feed(std::string_view bytes) {
  if (state_ == State::Failed || state_ == State::Refused) return;
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

void RequestReader::end(State state, int status, std::string text) {
  state_ = state;
  status_ = status;
  text_ = std::move(text);
  head_.clear();
  body_.reset();  // gives its room back at once
}

void RequestReader::parseHead() {
  HeadParse head = parseRequestHead(head_, limits_);
  if (head.state == HeadParse::State::Incomplete) return;
  if (head.state == HeadParse::State::Failed) {
    end(State::Failed, head.status, {});
    return;
  }
  haveHead_ = true;
  request_ = std::move(head.request);
  bodyBytes_ = head.bodyBytes;
  if (intake_ && bodyBytes_ > 0) {
    body_ = intake_->receive(address_, request_, bodyBytes_);
    if (!body_) {
      end(State::Failed, 503, std::string(kNoRoomText));
      return;
    }
  } else {
    body_ = std::make_unique<IncomingBody>(bodyBytes_, std::nullopt);
  }
  const std::string rest = head_.substr(head.headBytes);
  head_.clear();
  head_.shrink_to_fit();
  appendBody(rest);
}

void RequestReader::appendBody(std::string_view bytes) {
  const std::size_t wanted = std::min(bytes.size(), bodyBytes_ - received_);
  if (wanted > 0 && !body_->append(bytes.substr(0, wanted))) {
    end(State::Failed, 503, std::string(kNoRoomText));
    return;
  }
  received_ += wanted;
  // A body that is whole anyway is answered as usual, by the script.
  if (body_->refusal() && received_ < bodyBytes_) {
    end(State::Refused, 200, *body_->refusal());
    return;
  }
  leftover_.append(bytes.substr(wanted));
  if (received_ == bodyBytes_) {
    std::move(*body_).deliver(request_);
    body_.reset();
    state_ = State::Complete;
  }
}

HttpResponse RequestReader::answer() const {
  if (state_ == State::Refused) {
    HttpResponse response;  // as the script answers a wrong token
    response.body = text_;
    return response;
  }
  HttpResponse response = errorResponse(status_);
  if (!text_.empty()) response.body = text_;
  return response;
}

bool RequestReader::awaitsContinue() const {
  if (!haveHead_ || state_ != State::Partial || received_ > 0) return false;
  const auto expect = request_.header("Expect");
  return expect && equalsIgnoreCase(*expect, "100-continue");
}

HttpRequest RequestReader::take() {
  HttpRequest request = std::move(request_);
  request_ = HttpRequest();
  haveHead_ = false;
  bodyBytes_ = 0;
  received_ = 0;
  state_ = State::Empty;
  std::string next = std::move(leftover_);
  leftover_.clear();
  feed(next);
  return request;
}

}  // namespace pellora::tessaron
