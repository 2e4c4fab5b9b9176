// Load to document complete, for a 10 KB and a 1 MB content item served on
// loopback: Pellora's way (its HTTP client, the template, the WebKit editing
// surface until it reports completion) beside a peer doing the least that
// can show the same text: curl fetching it and a bare WebKit view loading it.
// The ratio Pellora / peer is the figure to watch.
//
// Needs a display and curl: run under xvfb-run. Never pass/fail.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

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

void BM_Pellora(benchmark::State& state) {
  BodyServer server(pellora::bench::sampleBody(static_cast<std::size_t>(state.range(0)), "\n"));
  pellora::editingContext().BaseUrl = server.base();
  pellora::test::SurfaceHandlers handlers;
  pellora::gtk::WebKitEditingSurface surface;
  surface.setClient(&handlers);
  GtkWidget* window = windowWith(surface.widget());
  bool complete = false;
  handlers.documentComplete = [&] { complete = true; };
  pellora::exchange::TIdHTTP http;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    complete = false;
    const std::string body = http.Get(server.base() + "/contents/Sample%201.html");
    surface.setDocumentHTML(pellora::wrapInDocumentTemplate(body));
    runUntil(complete);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  surface.setClient(nullptr);
  gtk_widget_destroy(window);
}

void BM_CurlAndBareWebKit(benchmark::State& state) {
  BodyServer server(pellora::bench::sampleBody(static_cast<std::size_t>(state.range(0)), "\n"));
  GtkWidget* view = webkit_web_view_new();
  GtkWidget* window = windowWith(view);
  bool finished = false;
  const gulong handler = g_signal_connect(
      view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer flag) {
        if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(flag) = true;
      }),
      &finished);
  const std::string command = "curl -s '" + server.base() + "/contents/Sample%201.html'";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    finished = false;
    std::string body;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      std::array<char, 65536> buffer;
      while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        body.append(buffer.data(), n);
      }
      ::pclose(pipe);
    }
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(view), body.c_str(), nullptr);
    runUntil(finished);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  g_signal_handler_disconnect(view, handler);
  gtk_widget_destroy(window);
}

#define SIZES Arg(10 << 10)->Arg(1 << 20)->UseManualTime()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Pellora)->SIZES;
BENCHMARK(BM_CurlAndBareWebKit)->SIZES;

}  // namespace

int main(int argc, char** argv) { return pellora::bench::runGtkBenchmarks(argc, argv); }
