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

// A part as far as it has come: its head, and where its bytes lie in the
// body.
struct ScannedPart {
  std::string name;
  std::optional<std::string> filename;
  std::string contentType;
  std::size_t offset = 0;  // of its first byte in the body
  std::size_t size = 0;    // of its bytes so far; all of them once `whole`
  bool whole = false;
  std::string kept;  // its first bytes, as many as the scanner keeps
};

inline constexpr std::size_t kMaxFormParts = 64;
inline constexpr std::size_t kMaxPreambleBytes = 16 * 1024;
inline constexpr std::size_t kMaxPartHeadBytes = 16 * 1024;

class MultipartScanner {
 public:
  // Keeps the first `keep` bytes of each part's data.
  explicit MultipartScanner(std::string_view boundary, std::size_t keep = 0);

  // Takes the next bytes of the body.
  void feed(std::string_view bytes);

  enum class State { Scanning, Done, Failed };
  // Done once the closing delimiter came (what follows it is ignored); a
  // body that ends while Scanning is malformed.
  State state() const;
  const std::vector<ScannedPart>& parts() const { return parts_; }

 private:
  enum class Phase { Start, Preamble, AfterDelimiter, LineEnd, Head, Data, Done, Failed };
  // Consumes what it can decide at the start of `bytes`; how much.
  std::size_t step(std::string_view bytes);
  std::size_t steps(std::string_view bytes);
  std::size_t seekDelimiter(std::string_view bytes);
  std::size_t readHeadLine(std::string_view bytes);
  std::size_t readData(std::string_view bytes);
  std::size_t fail();

  std::string delimiter_;  // CR LF "--" boundary
  std::size_t keep_;
  Phase phase_ = Phase::Start;
  std::size_t at_ = 0;      // offset of the next byte to consume
  std::size_t headAt_ = 0;  // where the current part's head began
  std::string carry_;       // bytes a decision waits for more after
  ScannedPart part_;
  bool named_ = false;
  std::vector<ScannedPart> parts_;
};

// The boundary parameter of a multipart/form-data content type; nullopt for
// any other type or a missing or unusable boundary.
std::optional<std::string> multipartBoundary(std::string_view contentType);

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
