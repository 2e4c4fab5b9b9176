// Loopback GET throughput and peak memory of TIdHTTP, to set beside curl
// fetching the same URL (never pass/fail).
//   http_get_bench serve SIZE   -> prints the port, serves SIZE-byte bodies forever
//   http_get_bench get URL N    -> N GETs, prints best MB/s and peak RSS
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "exchange/http_client.h"

static long maxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "serve") {
    const std::size_t size = std::stoull(argv[2]);
    std::string body(size, 'b');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
    const std::string answer =
        "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + std::to_string(size) +
        "\r\n\r\n" + body;
    body.clear();
    body.shrink_to_fit();
    int l = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(l, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(l, 16);
    socklen_t len = sizeof a;
    getsockname(l, reinterpret_cast<sockaddr*>(&a), &len);
    std::printf("%d\n", ntohs(a.sin_port));
    std::fflush(stdout);
    for (;;) {
      int c = accept(l, nullptr, nullptr);
      char buf[8192];
      std::string req;
      while (req.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        req.append(buf, n);
      }
      std::size_t sent = 0;
      while (sent < answer.size()) {
        ssize_t n = send(c, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += n;
      }
      shutdown(c, SHUT_WR);
      while (recv(c, buf, sizeof buf, 0) > 0) {
      }
      close(c);
    }
  }
  if (argc >= 4 && std::string(argv[1]) == "get") {
    const int n = std::atoi(argv[3]);
    const long before = maxRssKb();
    double best = 0;
    std::size_t got = 0;
    for (int i = 0; i < n; ++i) {
      pellora::exchange::TIdHTTP http;
      auto t0 = std::chrono::steady_clock::now();
      std::string body = http.Get(argv[2]);
      auto t1 = std::chrono::steady_clock::now();
      got = body.size();
      double mbs = got / 1e6 / std::chrono::duration<double>(t1 - t0).count();
      if (mbs > best) best = mbs;
    }
    std::printf("bytes=%zu best_MBps=%.1f rss_before_kb=%ld peak_rss_kb=%ld\n", got, best, before,
                maxRssKb());
  }
  return 0;
}
