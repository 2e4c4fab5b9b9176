// Feeds arbitrary bytes to the bundled server's request parsers: the request
// head, form bodies and multipart bodies. Any input must end in a parse
// result, never a crash; what parses must stay within the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/multipart.h"

using namespace pellora::tessaron;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const HeadParse head = parseRequestHead(input, RequestLimits{});
  if (head.state == HeadParse::State::Complete && head.headBytes > input.size()) std::abort();

  parseFormBody(input);
  percentDecode(input);

  // The first line names the boundary, the rest is the body.
  const auto newline = input.find('\n');
  if (newline != std::string_view::npos) {
    const std::string_view boundary = input.substr(0, newline);
    const std::string_view body = input.substr(newline + 1);
    if (const auto parts = parseMultipart(body, boundary)) {
      if (parts->size() > kMaxFormParts) std::abort();
    }
    multipartBoundary(boundary);
  }
  return 0;
}
