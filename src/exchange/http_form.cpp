#include "exchange/http_form.h"

#include "exchange/form_body_stream.h"
#include "exchange/http_text.h"

// Covered by tests/exchange/http_form_test.cpp.

namespace pellora::exchange {

std::string formPostBody(std::span<const FormLine> lines) {
  FormBodyStream stream(lines);
  std::string body(stream.size(), '\0');
  for (std::size_t done = 0; done < body.size();) {
    done += stream.read(body.data() + done, body.size() - done);
  }
  return body;
}

std::vector<FormLine> formLinesOf(const std::vector<std::string>& fields) {
  std::vector<FormLine> lines;
  lines.reserve(fields.size());
  for (const std::string& field : fields) lines.push_back({field, {}, false});
  return lines;
}

std::string formPostBody(const std::vector<std::string>& fields) {
  return formPostBody(formLinesOf(fields));
}

std::string formPostContentType(const std::string& current) {
  if (current.empty() || equalsIgnoringCase(current, "text/html")) {
    return "application/x-www-form-urlencoded";
  }
  return current;
}

}  // namespace pellora::exchange
