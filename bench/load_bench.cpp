// Load to document complete, for a 10 KB and a 1 MB content item served on
// loopback: Pellora's way (its HTTP client, the template, the WebKit editing
// surface until it reports completion) beside a peer doing the least that
// can show the same text: curl fetching it and a bare WebKit view loading it.
// Both sides keep one window each for the whole run; each repetition loads
// once on either side, alternating which goes first. Printed per size are
// the medians of each side and of the pairwise ratios Pellora / peer.
//
// Needs a display and curl: run under xvfb-run. Never pass/fail.
//   load_bench [REPETITIONS, default 9]
#include <arpa/inet.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_text.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "exchange/http_client.h"
#include "gtk_bench_support.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace {

// Serves one body to every request on a loopback port, until destroyed.
class BodyServer {
 public:
  explicit BodyServer(std::string body) : body_(std::move(body)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listen_, 16);
    socklen_t length = sizeof address;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~BodyServer() {
    stop_ = true;
    ::shutdown(listen_, SHUT_RDWR);
    ::close(listen_);
    thread_.join();
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/t"; }

 private:
  void serve() {
    const std::string answer =
        "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + std::to_string(body_.size()) +
        "\r\n\r\n" + body_;
    while (!stop_) {
      const int client = ::accept(listen_, nullptr, nullptr);
      if (client < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      ::shutdown(client, SHUT_WR);
      while (::recv(client, buffer, sizeof buffer, 0) > 0) {
      }
      ::close(client);
    }
  }

  std::string body_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

using pellora::bench::runUntil;

GtkWidget* windowWith(GtkWidget* view) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_container_add(GTK_CONTAINER(window), view);
  gtk_widget_show_all(window);
  return window;
}

template <typename F>
double millis(F load) {
  const auto start = std::chrono::steady_clock::now();
  load();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Pellora's way: its client fetches, its surface shows the item in the
// document template until the page reports completion.
class PelloraSide {
 public:
  explicit PelloraSide(const std::string& base) : base_(base) {
    surface_.setClient(&handlers_);
    handlers_.documentComplete = [this] { complete_ = true; };
    window_ = windowWith(surface_.widget());
  }
  ~PelloraSide() {
    surface_.setClient(nullptr);
    gtk_widget_destroy(window_);
  }
  PelloraSide(const PelloraSide&) = delete;
  PelloraSide& operator=(const PelloraSide&) = delete;
  double load() {
    pellora::editingContext().BaseUrl = base_;
    return millis([this] {
      complete_ = false;
      const std::string body = http_.Get(base_ + "/contents/Sample%201.html");
      surface_.setDocumentHTML(pellora::wrapInDocumentTemplate(body));
      runUntil(complete_);
    });
  }

 private:
  std::string base_;
  // Declared before the surface, which holds a pointer to it.
  pellora::test::SurfaceHandlers handlers_;
  pellora::gtk::WebKitEditingSurface surface_;
  pellora::exchange::TIdHTTP http_;
  GtkWidget* window_ = nullptr;
  bool complete_ = false;
};

// The peer: curl fetches, a bare WebKit view loads the text until finished.
class PeerSide {
 public:
  explicit PeerSide(const std::string& base)
      : command_("curl -s '" + base + "/contents/Sample%201.html'") {
    view_ = webkit_web_view_new();
    window_ = windowWith(view_);
    handler_ =
        g_signal_connect(view_, "load-changed",
                         G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer flag) {
                           if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(flag) = true;
                         }),
                         &finished_);
  }
  ~PeerSide() {
    g_signal_handler_disconnect(view_, handler_);
    gtk_widget_destroy(window_);
  }
  PeerSide(const PeerSide&) = delete;
  PeerSide& operator=(const PeerSide&) = delete;
  double load() {
    return millis([this] {
      finished_ = false;
      std::string body;
      if (FILE* pipe = ::popen(command_.c_str(), "r")) {
        std::array<char, 65536> buffer;
        while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
          body.append(buffer.data(), n);
        }
        ::pclose(pipe);
      }
      webkit_web_view_load_html(WEBKIT_WEB_VIEW(view_), body.c_str(), nullptr);
      runUntil(finished_);
    });
  }

 private:
  std::string command_;
  GtkWidget* view_ = nullptr;
  GtkWidget* window_ = nullptr;
  gulong handler_ = 0;
  bool finished_ = false;
};

void compare(std::size_t bytes, int repetitions) {
  BodyServer server(pellora::bench::sampleBody(bytes, "\n"));
  PelloraSide pellora(server.base());
  PeerSide peer(server.base());
  // One unmeasured load each: the first one pays for starting WebKit's
  // processes.
  pellora.load();
  peer.load();
  std::vector<double> ours, theirs, ratio;
  for (int r = 0; r < repetitions; ++r) {
    double a = 0, b = 0;
    if (r % 2 == 0) {
      a = pellora.load();
      b = peer.load();
    } else {
      b = peer.load();
      a = pellora.load();
    }
    ours.push_back(a);
    theirs.push_back(b);
    ratio.push_back(a / std::max(b, 1e-6));
  }
  std::printf("%-9zu %12.1f %12.1f %8.2f %6d\n", bytes, pellora::bench::median(ours),
              pellora::bench::median(theirs), pellora::bench::median(ratio), repetitions);
}

}  // namespace

int main(int argc, char** argv) {
  // A virtual display has no GL, and the container runs as root.
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) return 1;
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  std::printf("%-9s %12s %12s %8s %6s\n", "bytes", "pellora_ms", "peer_ms", "ratio", "reps");
  for (const std::size_t bytes : {std::size_t{10} << 10, std::size_t{1} << 20})
    compare(bytes, repetitions);
  return 0;
}
