// Shared pieces of the image transfer tests: a private temporary folder for
// local image files, and a bench with the fake platform, an HTTP client and
// the status display controls that the requests drive.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange/editing_context.h"
#include "exchange/http_client.h"
#include "exchange/http_status_display.h"
#include "support/fake_platform.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "ui/form.h"

namespace pellora::test {

// A folder of local images.
class ImageDir {
 public:
  // Writes `bytes` to `name` (which may hold sub-folders) and returns the
  // file's absolute path.
  std::string write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path file = dir_.path() / name;
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, bytes);
    return file.string();
  }
  std::string path() const { return dir_.path().string(); }

 private:
  TempDir dir_;
};

// The bytes of a PNG file: its signature, then `tail`. The transfer uploads
// only files whose content is an image.
inline std::string pngBytes(const std::string& tail) { return "\x89PNG\r\n\x1A\n" + tail; }

// An HTTP answer that closes its connection, so every request of a test
// takes one connection script.
inline std::string closingAnswer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// One connection that reads a request and answers it.
inline ConnectionScript answering(const std::string& body, const std::string& status = "200 OK") {
  return {readRequest(), sendBytes(closingAnswer(status, body))};
}

// The answers to `count` checks of a name: none of them is on the server.
inline std::vector<ConnectionScript> freeNames(std::size_t count,
                                               std::vector<ConnectionScript> then = {}) {
  std::vector<ConnectionScript> scripts(count, answering("", "404 Not Found"));
  for (ConnectionScript& script : then) scripts.push_back(std::move(script));
  return scripts;
}

inline std::string headOf(const std::string& request) {
  return request.substr(0, request.find("\r\n\r\n") + 2);
}
inline std::string bodyOf(const std::string& request) {
  return request.substr(request.find("\r\n\r\n") + 4);
}
inline std::string requestLineOf(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

// The value of header `name` (exact spelling) of a request; empty if absent.
inline std::string headerOf(const std::string& request, const std::string& name) {
  const std::string head = headOf(request);
  const std::string key = "\r\n" + name + ": ";
  const auto at = head.find(key);
  if (at == std::string::npos) return {};
  const auto start = at + key.size();
  return head.substr(start, head.find("\r\n", start) - start);
}

// The fake platform, a client, the status display and an editing context.
struct RequestBench {
  RequestBench()
      : panel(exchange::HttpStatusDisplay::createControls(host)),
        display(panel, panel.child("StatusLabel"), panel.child("StatusProgress"),
                fake.platform.screenCursor) {
    display.bind(http);
    // A request that finds no script fails the test instead of hanging it.
    http.ReadTimeout = 30000;
    panel.child("StatusLabel").changed.connect([this](ui::Control& label, ui::Property p) {
      if (p == ui::Property::Caption) statusTexts.push_back(label.caption());
    });
    fake.platform.boxes.whileShown = [this](const ShownMessage&) {
      panelVisibleDuringBoxes.push_back(panel.visible());
    };
  }

  void pointAt(const ScriptedServer& server) { context.BaseUrl = server.url("/t"); }

  const std::vector<ShownMessage>& boxes() const { return fake.platform.boxes.shown; }

  ScopedFakePlatform fake;
  ui::Form host{"Host"};
  ui::Control& panel;
  exchange::TIdHTTP http;
  exchange::HttpStatusDisplay display;
  EditingContext context;
  std::vector<std::string> statusTexts;
  std::vector<bool> panelVisibleDuringBoxes;
};

}  // namespace pellora::test
