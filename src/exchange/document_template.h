// The fixed document a body is wrapped in before the visual view shows it.
// A whole document is head + body + tail, joined with nothing between.
#pragma once

#include <string>
#include <string_view>

namespace pellora {

inline constexpr std::string_view DocumentTemplateHead =
    "<HTML><HEAD>\r\n<META content=\"Pellora\" name=GENERATOR></HEAD>\r\n<BODY "
    "bgColor=\"#ffffff\">";
inline constexpr std::string_view DocumentTemplateTail = "</BODY></HTML>";

inline std::string wrapInDocumentTemplate(std::string_view body) {
  std::string document;
  document.reserve(DocumentTemplateHead.size() + body.size() + DocumentTemplateTail.size());
  document.append(DocumentTemplateHead).append(body).append(DocumentTemplateTail);
  return document;
}

}  // namespace pellora
