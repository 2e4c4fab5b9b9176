// A save of a large body as the editor sends it: the line ends reduced, the
// form built and posted to tessaron-server, the answer read. To set beside
// curl posting the very same bytes (never pass/fail):
//   tessaron-server --root DIR --token T0k --base /t &   (prints its port)
//   save_bench body FILE SIZE          -> writes the form body the client sends
//   save_bench post URL SIZE           -> one save, prints the answer
//   curl -s -o /dev/null --data-binary @FILE URL
// Time both as whole processes, side by side (wall time and peak memory).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_text.h"
#include "content/line_ends.h"
#include "exchange/http_client.h"
#include "exchange/http_form.h"

int main(int argc, char** argv) {
  using pellora::exchange::FormLine;
  if (argc < 4) {
    std::fprintf(stderr, "usage: save_bench body FILE SIZE | save_bench post URL SIZE\n");
    return 2;
  }
  const std::string mode = argv[1];
  const std::size_t bytes = std::stoull(argv[3]);
  std::string body = pellora::bench::sampleBody(bytes, "\r\n");
  body.resize(bytes);
  // HTML with Windows line ends, as a large item typed in the HTML view.
  pellora::content::ReduceCrLfInPlace(body);
  const FormLine lines[] = {
      {"content=", "Big", true},
      {"htmlsource=", body, true},
      {"auth=", "T0k", false},
      {"edtype=ax", {}, false},
  };
  if (mode == "body") {
    std::ofstream(argv[2], std::ios::binary) << pellora::exchange::formPostBody(lines);
    return 0;
  }
  if (mode == "post") {
    pellora::exchange::TIdHTTP http;
    http.Request.ContentType = "application/x-www-form-urlencoded";
    std::string response;
    http.Post(argv[2], lines, response);
    std::printf("%s\n", response.c_str());
    return response.find("OK") == std::string::npos;
  }
  return 2;
}
