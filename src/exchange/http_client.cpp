#include "exchange/http_client.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "content/extract_body.h"
#include "exchange/http_answer.h"
#include "exchange/http_form.h"
#include "exchange/http_text.h"
#include "exchange/http_url.h"
#include "exchange/id_antifreeze.h"
#include "exchange/id_exceptions.h"
#include "exchange/socket.h"
#include "ui/scope_exit.h"

// Covered by tests/exchange/http_client_test.cpp.

namespace pellora::exchange {

namespace {

void addHeader(std::string& head, const char* name, const std::string& value) {
  if (value.empty()) return;
  head += name;
  head += ": ";
  head += value;
  head += "\r\n";
}

bool keepsConnection(const HttpAnswerHead& answer, TIdHTTPProtocolVersion version) {
  const std::string connection = content::TrimControl(answer.header("Connection").value_or(""));
  const std::string proxy = content::TrimControl(answer.header("Proxy-Connection").value_or(""));
  if (version == pv1_0) {
    return equalsIgnoringCase(connection, "keep-alive") || equalsIgnoringCase(proxy, "keep-alive");
  }
  return !equalsIgnoringCase(connection, "close") && !equalsIgnoringCase(proxy, "close");
}

// A body goes out in about 64 pieces, each one step of the progress bar:
// small bodies in small pieces, so that the bar still moves, large ones in
// pieces large enough that the system calls cost next to nothing.
std::size_t sendPiece(std::size_t bodySize) {
  constexpr std::size_t kSteps = 64;
  constexpr std::size_t kLargestPiece = 256 * 1024;
  return std::clamp(bodySize / kSteps, kReceivePiece, kLargestPiece);
}

bool isRefusedAnswer(const HttpAnswerHead& answer) {
  const bool redirect = answer.code >= 300 && answer.code < 400 && answer.code != 304;
  const bool success = answer.code >= 200 && answer.code < 300;
  return redirect || answer.header("Location").has_value() || !success;
}

}  // namespace

// The open connection with what it has received but not yet consumed.
struct TIdHTTP::Link {
  Link(Socket s, std::string h, std::string p, std::function<void(std::size_t)> onReceived)
      : socket(std::move(s)),
        input(socket, std::move(onReceived)),
        host(std::move(h)),
        port(std::move(p)) {}
  Socket socket;
  HttpInput input;
  std::string host;
  std::string port;

  bool leadsTo(const std::string& otherHost, const std::string& otherPort) const {
    const int a = portNumber(port);
    const int b = portNumber(otherPort);
    return equalsIgnoringCase(host, otherHost) && (a >= 0 && b >= 0 ? a == b : port == otherPort);
  }
};

TIdHTTP::TIdHTTP()
    : answerLimit_(kMaxAnswerBytes),
      watch_(TIdAntiFreeze::waitGuard(), std::chrono::milliseconds(kQuietCancelMs)) {
  meter_.onBegin = [this](TWorkMode mode, std::int64_t total) {
    if (OnWorkBegin) OnWorkBegin(*this, mode, total);
  };
  meter_.onWork = [this](TWorkMode mode, std::int64_t count) {
    if (OnWork) OnWork(*this, mode, count);
  };
  meter_.onEnd = [this](TWorkMode mode) {
    if (OnWorkEnd) OnWorkEnd(*this, mode);
  };
}

TIdHTTP::~TIdHTTP() = default;

bool TIdHTTP::Connected() const { return link_ != nullptr && link_->socket.isOpen(); }

void TIdHTTP::Disconnect() { closeLink(); }

std::chrono::steady_clock::time_point TIdHTTP::now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

bool TIdHTTP::CancelIfQuiet() {
  const auto at = now();
  const int seconds = quietCancelMs_ / 1000;
  if (watch_.cancelIfQuiet(at, quietCancelMs_,
                           "The request was cancelled: the server had not responded for " +
                               std::to_string(seconds) +
                               (seconds == 1 ? " second." : " seconds."))) {
    return true;
  }
  if (!watch_.running()) return false;
  if (watch_.runningFor(at) >= std::chrono::milliseconds(kOverdueCancelMs)) {
    return watch_.cancel("The request was cancelled: it had not finished within " +
                         std::to_string(kOverdueCancelMs / 60000) + " minutes.");
  }
  const std::optional<std::int64_t> moved = watch_.movedInWindow(at);
  if (moved && *moved < kSlowCancelBytes) {
    return watch_.cancel("The request was cancelled: it had moved only " + std::to_string(*moved) +
                         (*moved == 1 ? " byte" : " bytes") + " in the last " +
                         std::to_string(kQuietCancelMs / 1000) + " seconds.");
  }
  return false;
}

void TIdHTTP::status(TIdStatus value, const std::string& text) {
  if (OnStatus) OnStatus(*this, value, text);
}

void TIdHTTP::closeLink() {
  if (!link_) return;
  status(hsDisconnecting, "Disconnecting.");
  link_.reset();
  status(hsDisconnected, "Disconnected.");
}

std::string TIdHTTP::Get(const std::string& url) {
  BodyBuffer sink;
  perform(Method::Get, url, nullptr, sink);
  return sink.take();
}

void TIdHTTP::Post(const std::string& url, const std::vector<std::string>& fields,
                   std::string& response) {
  // Checked here as well, so that a refused request leaves the content type alone.
  if (busy_) throw EIdException("Another request is in progress.");
  Request.ContentType = formPostContentType(Request.ContentType);
  const std::vector<FormLine> lines = formLinesOf(fields);
  FormBodyStream body(lines);
  post(url, body, response);
}

void TIdHTTP::Post(const std::string& url, std::span<const FormLine> lines, std::string& response) {
  if (busy_) throw EIdException("Another request is in progress.");
  Request.ContentType = formPostContentType(Request.ContentType);
  // Encoded as it goes out: the form never exists whole beside the item.
  FormBodyStream body(lines);
  post(url, body, response);
}

void TIdHTTP::Post(const std::string& url, const std::string& body, std::string& response) {
  TextBody text(body);
  post(url, text, response);
}

void TIdHTTP::post(const std::string& url, OutgoingBody& body, std::string& response) {
  BodyBuffer sink;
  perform(Method::Post, url, &body, sink);
  if (response.empty()) {
    response = sink.take();
  } else {
    response += sink.take();
  }
}

void TIdHTTP::perform(Method method, const std::string& url, OutgoingBody* body, BodyBuffer& sink) {
  // A message pumped during a wait may start another request; it must not
  // write into the connection this one is using.
  if (busy_) throw EIdException("Another request is in progress.");
  try {
    transfer(method, url, body, sink);
  } catch (const std::exception& failure) {
    if (OnRequestDone) OnRequestDone(*this, url, &failure);
    throw;
  }
  if (OnRequestDone) OnRequestDone(*this, url, nullptr);
}

void TIdHTTP::transfer(Method method, const std::string& url, OutgoingBody* body,
                       BodyBuffer& sink) {
  busy_ = true;
  watch_.start(now());
  ui::ScopeExit notBusy([this] {
    busy_ = false;
    watch_.finish();
  });

  const HttpUrl target = parseHttpUrl(url);
  const bool viaProxy = !ProxyParams.ProxyServer.empty();
  if (!viaProxy && equalsIgnoringCase(target.scheme, "https")) throw EIdIOHandlerPropInvalid();

  const TIdHTTPProtocolVersion savedVersion = ProtocolVersion;
  ui::ScopeExit restoreVersion([this, savedVersion] { ProtocolVersion = savedVersion; });
  if (method == Method::Post) ProtocolVersion = pv1_0;
  const TIdHTTPProtocolVersion version = ProtocolVersion;

  if (cookies_) cookies_->dropExpired(std::time(nullptr));

  const std::string host = viaProxy ? ProxyParams.ProxyServer : target.host;
  const std::string port = viaProxy ? std::to_string(ProxyParams.ProxyPort) : target.port;
  if (method == Method::Post) {
    closeLink();
  } else if (link_ && (!link_->leadsTo(host, port) || link_->socket.peerClosed(1))) {
    closeLink();
  }

  bool keep = false;
  try {
    if (!link_) {
      status(hsResolving, "Resolving " + host + ".");
      Socket socket = Socket::connect(host, port, timings_.connectLimitMs, &watch_,
                                      [&](const std::string& address) {
                                        status(hsConnecting, "Connecting to " + address + ".");
                                      });
      link_ = std::make_unique<Link>(std::move(socket), host, port, [this](std::size_t n) {
        watch_.moved(now(), static_cast<std::int64_t>(n));
        meter_.add(wmRead, static_cast<std::int64_t>(n));
      });
      status(hsConnected, "Connected.");
    }
    link_->socket.setReadTimeout(ReadTimeout);
    link_->socket.setGuard(&watch_);
    const auto sent = [this](std::size_t n) { watch_.moved(now(), static_cast<std::int64_t>(n)); };

    // Head.
    if (version == pv1_0 && !viaProxy && Request.Connection.empty()) {
      Request.Connection = "keep-alive";
    }
    if (version == pv1_0 && viaProxy && Request.Connection.empty()) {
      Request.ProxyConnection = "keep-alive";
    }
    std::string head = method == Method::Get ? "GET " : "POST ";
    head += viaProxy ? target.absoluteTarget() : target.target;
    head += version == pv1_0 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n";
    addHeader(head, "Connection", Request.Connection);
    addHeader(head, "Content-Type", Request.ContentType);
    if (method == Method::Post) addHeader(head, "Content-Length", std::to_string(body->size()));
    addHeader(head, "Proxy-Connection", Request.ProxyConnection);
    addHeader(head, "Host", target.hostHeader());
    addHeader(head, "Accept", Request.Accept);
    addHeader(head, "User-Agent", Request.UserAgent);
    if (AllowCookies && cookies_) addHeader(head, "Cookie", cookies_->cookieHeader(target));
    head += "\r\n";
    link_->socket.sendAll(head.data(), head.size(), sent);

    if (method == Method::Post) {
      WorkPhase phase(meter_, wmWrite, static_cast<std::int64_t>(body->size()));
      std::vector<char> piece(std::min(sendPiece(body->size()), body->size()));
      for (std::size_t done = 0; done < body->size();) {
        const std::size_t n = body->read(piece.data(), std::min(piece.size(), body->size() - done));
        link_->socket.sendAll(piece.data(), n, sent);
        done += n;
        meter_.add(wmWrite, static_cast<std::int64_t>(n));
      }
    }

    // Answer.
    const HttpAnswerHead answer = readAnswerHead(link_->input, [&](const HttpAnswerHead& h) {
      if (!AllowCookies) return;
      if (!cookies_) cookies_ = std::make_unique<CookieJar>();
      for (const auto& [name, value] : h.headers) {
        if (equalsIgnoringCase(name, "Set-Cookie") || equalsIgnoringCase(name, "Set-Cookie2")) {
          cookies_->store(value, target, std::time(nullptr));
        }
      }
    });
    const bool mayKeep = keepsConnection(answer, version) && framingAllowsReuse(answer);

    if (isRefusedAnswer(answer)) {
      BodyBuffer errorBody;
      link_->socket.setReadTimeout(timings_.errorBodyTimeoutMs);
      bool bodyComplete = true;
      try {
        readAnswerBody(link_->input, answer, errorBody, meter_, answerLimit_);
      } catch (const EIdConnClosedGracefully&) {
        // What arrived of the error body is still worth showing.
        bodyComplete = false;
      } catch (const EIdHTTPProtocolException&) {
        bodyComplete = false;
      }
      keep = mayKeep && bodyComplete && !link_->input.hasBuffered();
      throw EIdHTTPProtocolException(answer.code, statusLineMessage(answer.statusLine),
                                     errorBody.take());
    }
    readAnswerBody(link_->input, answer, sink, meter_, answerLimit_);
    // Bytes beyond the answer would be read as the next one's: do not reuse.
    keep = mayKeep && !link_->input.hasBuffered();
  } catch (...) {
    if (!keep) closeLink();
    throw;
  }
  if (!keep) closeLink();
}

}  // namespace pellora::exchange
