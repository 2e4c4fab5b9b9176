// Peak memory of the HTTP client while a server streams an answer that never
// ends (no length, no close), beside the answer cap (never pass/fail).
//   answer_cap_bench [MB to offer, default 512]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "exchange/http_answer.h"
#include "exchange/http_client.h"
#include "exchange/id_exceptions.h"

static long maxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

int main(int argc, char** argv) {
  const long long offerBytes = (argc > 1 ? std::atoll(argv[1]) : 512) * 1024LL * 1024LL;
  int l = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(l, 1);
  socklen_t len = sizeof a;
  getsockname(l, reinterpret_cast<sockaddr*>(&a), &len);
  std::atomic<long long> streamed{0};
  std::thread server([&] {
    const int c = accept(l, nullptr, nullptr);
    char buf[8192];
    std::string req;
    while (req.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      req.append(buf, static_cast<std::size_t>(n));
    }
    const std::string head = "HTTP/1.1 200 OK\r\n\r\n";
    send(c, head.data(), head.size(), MSG_NOSIGNAL);
    const std::string piece(64 * 1024, 'x');
    while (streamed < offerBytes) {
      const ssize_t n = send(c, piece.data(), piece.size(), MSG_NOSIGNAL);
      if (n <= 0) break;  // the client gave up
      streamed += n;
    }
    close(c);
  });

  const long before = maxRssKb();
  pellora::exchange::TIdHTTP http;
  const auto t0 = std::chrono::steady_clock::now();
  std::string outcome = "no failure";
  try {
    http.Get("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/");
  } catch (const pellora::exchange::EIdException& failure) {
    outcome = failure.what();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  server.join();
  close(l);
  std::printf(
      "cap_kb=%lld offered_kb=%lld streamed_kb=%lld rss_before_kb=%ld peak_rss_kb=%ld "
      "peak_growth_kb=%ld seconds=%.2f\noutcome: %s\n",
      static_cast<long long>(pellora::exchange::kMaxAnswerBytes / 1024), offerBytes / 1024,
      streamed.load() / 1024, before, maxRssKb(), maxRssKb() - before, seconds, outcome.c_str());
  return 0;
}
