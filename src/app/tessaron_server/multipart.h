// Bodies of type multipart/form-data, as the editor's image upload sends
// them: a delimiter line per part, the part's header lines, an empty line
// and the part's bytes up to the next delimiter. Parameter values in
// Content-Disposition are read without escapes, so a Windows path such as
// C:\pics\a.gif arrives with its backslashes. Anything that does not follow
// the structure (no closing delimiter, a part without its header end) is
// refused as a whole rather than half-read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::tessaron {

struct FormPart {
  std::string name;
  std::optional<std::string> filename;
  std::string contentType;
  std::string data;
};

// A part whose bytes are a view into the body it was read from, so a large
// upload is not copied before it is stored.
struct FormPartView {
  std::string name;
  std::optional<std::string> filename;
  std::string contentType;
  std::string_view data;
};

// The boundary parameter of a multipart/form-data content type; nullopt for
// any other type or a missing or unusable boundary.
std::optional<std::string> multipartBoundary(std::string_view contentType);

inline constexpr std::size_t kMaxFormParts = 64;

// The parts of `body`; nullopt when it is malformed or has more than
// kMaxFormParts parts.
std::optional<std::vector<FormPart>> parseMultipart(std::string_view body,
                                                    std::string_view boundary);

// As parseMultipart, with the parts' bytes left in `body`.
std::optional<std::vector<FormPartView>> scanMultipart(std::string_view body,
                                                       std::string_view boundary);

// The first part called `name`.
const FormPart* findPart(const std::vector<FormPart>& parts, std::string_view name);
const FormPartView* findPart(const std::vector<FormPartView>& parts, std::string_view name);

}  // namespace pellora::tessaron
