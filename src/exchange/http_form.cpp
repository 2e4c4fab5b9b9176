#include "exchange/http_form.h"

#include "content/extract_body.h"
#include "exchange/http_text.h"

// Covered by tests/exchange/http_form_test.cpp.

namespace pellora::exchange {

std::string formPostBody(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += field + "\r\n";
  if (fields.size() >= 2) {
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        joined += '&';
        ++i;
      } else {
        joined += text[i];
      }
    }
    text = std::move(joined);
  }
  return content::TrimControl(text);
}

std::string formPostContentType(const std::string& current) {
  if (current.empty() || equalsIgnoringCase(current, "text/html")) {
    return "application/x-www-form-urlencoded";
  }
  return current;
}

}  // namespace pellora::exchange
