// Failures of the HTTP client. Every failure of a request is an exception
// that carries the message the user sees; callers catch `EIdException` and
// show `what()`. The class names are the ones the rest of the system (and its
// users' bug reports) know the failures by.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace pellora::exchange {

class EIdException : public std::runtime_error {
 public:
  explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// An answer the client does not accept: a status outside 2xx, a redirection,
// or an answer it cannot make sense of. The message is the status line as
// received; the body is whatever the server sent with it.
class EIdHTTPProtocolException : public EIdException {
 public:
  EIdHTTPProtocolException(int code, const std::string& message, std::string body)
      : EIdException(message), code_(code), body_(std::move(body)) {}
  int ErrorCode() const { return code_; }
  const std::string& ErrorMessage() const { return body_; }

 private:
  int code_;
  std::string body_;
};

class EIdConnectTimeout : public EIdException {
 public:
  EIdConnectTimeout() : EIdException("Connect timed out.") {}
};

class EIdConnectException : public EIdException {
 public:
  using EIdException::EIdException;
};

// "Socket Error # <errno>\r\n<description>".
class EIdSocketError : public EIdException {
 public:
  EIdSocketError(int errorCode, const std::string& description)
      : EIdException("Socket Error # " + std::to_string(errorCode) + "\r\n" + description),
        errorCode_(errorCode) {}
  int LastError() const { return errorCode_; }

 private:
  int errorCode_;
};

class EIdConnClosedGracefully : public EIdException {
 public:
  EIdConnClosedGracefully() : EIdException("Connection Closed Gracefully.") {}
};

class EIdReadTimeout : public EIdException {
 public:
  EIdReadTimeout() : EIdException("Read Timeout") {}
};

// A peer that took nothing of a write within the read time-out.
class EIdWriteTimeout : public EIdException {
 public:
  EIdWriteTimeout() : EIdException("Write Timeout") {}
};

// A request given up by the user (a Close) after the server had let it stall.
class EIdRequestCancelled : public EIdException {
 public:
  using EIdException::EIdException;
};

class EIdNotConnected : public EIdException {
 public:
  EIdNotConnected() : EIdException("Not Connected") {}
};

class EIdIOHandlerPropInvalid : public EIdException {
 public:
  EIdIOHandlerPropInvalid() : EIdException("IOHandler value is not valid") {}
};

}  // namespace pellora::exchange
