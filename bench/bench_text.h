// What the benchmarks share beside their anchors: a body of a given size
// made of ordinary paragraphs, and the median of repeated figures.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::bench {

// Paragraphs with some formatting and a link until `bytes` are reached,
// each followed by `lineEnd`.
inline std::string sampleBody(std::size_t bytes, std::string_view lineEnd = "") {
  std::string body;
  body.reserve(bytes + 128);
  for (int i = 0; body.size() < bytes; ++i) {
    // Appended in parts: a whole-process timing should see the body, not
    // temporaries made on the way.
    body += "<p>Paragraph ";
    body += std::to_string(i);
    body += " with <b>some</b> text, <i>formatting</i> and a <a href=\"x.html\">link</a>.</p>";
    body += lineEnd;
  }
  return body;
}

inline double median(std::vector<double> figures) {
  std::sort(figures.begin(), figures.end());
  return figures[figures.size() / 2];
}

}  // namespace pellora::bench
