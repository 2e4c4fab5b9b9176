// The system's HTTP client: plain HTTP/1.0 and 1.1 over TCP, an optional
// HTTP proxy, cookies, and nothing more. One request at a time on the
// user-interface thread; a call blocks until the answer is complete while the
// guard in force (id_antifreeze.h) keeps the window alive. At most one
// connection stays open between requests. Every failure is an exception of
// id_exceptions.h; the client stays usable after it.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "exchange/cookie_jar.h"
#include "exchange/form_body_stream.h"
#include "exchange/http_form.h"
#include "exchange/http_input.h"
#include "exchange/http_work.h"
#include "exchange/request_watch.h"

namespace pellora::exchange {

enum TIdStatus { hsResolving, hsConnecting, hsConnected, hsDisconnecting, hsDisconnected };

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };

struct TIdHTTPRequest {
  std::string ContentType = "text/html";
  std::string UserAgent = "Pellora";
  std::string Accept = "text/html, */*";
  bool BasicAuthentication = false;
  // Set by the client on the first request that goes out as HTTP/1.0 (a
  // POST) and kept from then on; sent whenever not empty.
  std::string Connection;
  std::string ProxyConnection;
};

// How long a request must have moved no data before a Close may cancel it.
inline constexpr int kQuietCancelMs = 30000;
// A request that moves data may still be cancelled by a Close once it has
// run this long, or moved fewer than kSlowCancelBytes over the last
// kQuietCancelMs (a server that trickles).
inline constexpr int kOverdueCancelMs = 10 * 60 * 1000;
inline constexpr std::int64_t kSlowCancelBytes = 30 * 1024;

struct TIdProxyConnectionInfo {
  std::string ProxyServer;  // empty: no proxy
  std::int32_t ProxyPort = 0;
  bool BasicAuthentication = false;
};

class TIdHTTP {
 public:
  TIdHTTP();
  ~TIdHTTP();
  TIdHTTP(const TIdHTTP&) = delete;
  TIdHTTP& operator=(const TIdHTTP&) = delete;

  TIdHTTPRequest Request;
  TIdProxyConnectionInfo ProxyParams;
  bool AllowCookies = true;
  bool HandleRedirects = false;  // redirections are never followed
  TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
  int ReadTimeout = 0;  // ms; 0 waits without limit

  std::function<void(TIdHTTP& Sender, TWorkMode AWorkMode, std::int64_t AWorkCountMax)> OnWorkBegin;
  std::function<void(TIdHTTP& Sender, TWorkMode AWorkMode, std::int64_t AWorkCount)> OnWork;
  std::function<void(TIdHTTP& Sender, TWorkMode AWorkMode)> OnWorkEnd;
  std::function<void(TIdHTTP& ASender, TIdStatus AStatus, const std::string& AStatusText)> OnStatus;
  // Runs as each request to `url` ends: with what it failed with, or
  // nullptr when it succeeded. A request refused because another one runs
  // is not one.
  std::function<void(TIdHTTP& Sender, const std::string& url, const std::exception* failure)>
      OnRequestDone;

  // The answer body of a GET.
  std::string Get(const std::string& url);
  // Posts `fields` (encoded "name=value" lines) as a form; the answer body
  // is appended to `response`.
  void Post(const std::string& url, const std::vector<std::string>& fields, std::string& response);
  // The same with the lines given in parts, so a large value is encoded
  // straight into the body.
  void Post(const std::string& url, std::span<const FormLine> lines, std::string& response);
  // Posts `body` as it is, with the content type the caller set.
  void Post(const std::string& url, const std::string& body, std::string& response);

  bool Connected() const;
  void Disconnect();
  // Null until the first answer arrives with cookies allowed.
  const CookieJar* CookieManager() const { return cookies_.get(); }
  const WorkMeter& workMeter() const { return meter_; }

  // The user's way out of a request the server has let stall (a Close while
  // it runs): when nothing has come from or gone to the server for
  // kQuietCancelMs, or the request has run for kOverdueCancelMs, or it has
  // moved fewer than kSlowCancelBytes in the last kQuietCancelMs, it is
  // cancelled and fails with EIdRequestCancelled at its next wait; true when
  // it was. A request that still moves data at a useful rate, or none
  // running, is left alone.
  bool CancelIfQuiet();

  // Time limits, replaceable by tests only; the product keeps the defaults.
  struct Timings {
    int connectLimitMs = 120000;
    int errorBodyTimeoutMs = 2000;
  };
  void setTimingsForTest(const Timings& timings) { timings_ = timings; }
  // The quiet time of CancelIfQuiet and the clock it is read on (empty:
  // steady_clock), replaceable by tests only.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  void setQuietCancelForTest(int ms, Clock clock = {}) {
    quietCancelMs_ = ms;
    clock_ = std::move(clock);
  }
  // Largest answer body, replaceable by tests only (kMaxAnswerBytes).
  void setAnswerLimitForTest(std::int64_t bytes) { answerLimit_ = bytes; }

 private:
  struct Link;
  enum class Method { Get, Post };

  void perform(Method method, const std::string& url, OutgoingBody* body, BodyBuffer& sink);
  void transfer(Method method, const std::string& url, OutgoingBody* body, BodyBuffer& sink);
  void post(const std::string& url, OutgoingBody& body, std::string& response);
  void closeLink();
  void status(TIdStatus status, const std::string& text);
  std::chrono::steady_clock::time_point now() const;

  std::unique_ptr<Link> link_;
  std::unique_ptr<CookieJar> cookies_;
  WorkMeter meter_;
  Timings timings_;
  std::int64_t answerLimit_;
  int quietCancelMs_ = kQuietCancelMs;
  Clock clock_;
  RequestWatch watch_;
  bool busy_ = false;
};

}  // namespace pellora::exchange
