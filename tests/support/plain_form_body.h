// The form body built the plain way, as the oracle the client's one-pass,
// streamed construction is checked against (tests and fuzz target): lines
// joined with CR LF, each CR LF then "&" (two lines or more), control bytes
// trimmed from both ends.
#pragma once

#include <string>
#include <vector>

#include "content/extract_body.h"

namespace pellora::test {

inline std::string plainFormBody(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += field + "\r\n";
  if (fields.size() >= 2) {
    std::string joined;
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

}  // namespace pellora::test
