// Form bodies of type application/x-www-form-urlencoded, read the way the
// installation's script reads them: fields separated by "&" (empty ones, such
// as the one after the editor's trailing "&", are skipped), name and value
// split at the first "=", "+" read as a blank and "%XX" as the byte it names.
// A "%" not followed by two hexadecimal digits stays as it is. Bytes are kept
// as they arrive: the editor's text is Windows-1252 and must round-trip.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/tessaron_server/byte_sink.h"

namespace pellora::tessaron {

using FormFields = std::vector<std::pair<std::string, std::string>>;

std::string percentDecode(std::string_view text);

// Decodes `text` as percentDecode does, handing the result to `sink` in
// pieces of at most a few kilobytes; false when the sink refused one.
bool percentDecodeInPieces(std::string_view text, const ByteSink& sink);

FormFields parseFormBody(std::string_view body);

// A field with its name decoded and its value as it arrived, a view into
// the body: a large value is decoded only where it is stored.
struct RawFormField {
  std::string name;
  std::string_view value;
};
std::vector<RawFormField> scanFormBody(std::string_view body);

// Decodes a text that comes in pieces as percentDecode decodes it whole (an
// escape may be split between pieces), handing the result to `sink`.
class PercentDecoder {
 public:
  explicit PercentDecoder(const ByteSink& sink) : sink_(sink) {}
  // False when the sink refused a piece.
  bool feed(std::string_view piece);
  bool finish();

 private:
  const ByteSink& sink_;
  std::string held_;  // the start of an escape that ended the last piece
};

// Finds, in a form body fed piece by piece, where the still encoded value of
// the last field of each of a few names lies. Only the current field's name
// is kept, and only as long as a wanted one may be written.
class FormScanner {
 public:
  explicit FormScanner(std::vector<std::string> names);
  void feed(std::string_view bytes);
  // The body ended: so does its last field.
  void finish();

  struct Range {
    std::size_t offset = 0, size = 0;
  };
  std::optional<Range> last(std::string_view name) const;

 private:
  void endField(std::size_t end);

  std::vector<std::string> names_;
  std::vector<std::optional<Range>> found_;
  std::size_t at_ = 0;     // offset of the next byte fed
  std::size_t start_ = 0;  // of the current field
  std::optional<std::size_t> equals_;
  std::string name_;
  std::size_t longestName_ = 0;  // encoded, in the longest way
};

// The still encoded value of the last field called `name`.
std::optional<std::string_view> rawFormField(const std::vector<RawFormField>& fields,
                                             std::string_view name);

// The value of the last field called `name` (a later field overrides an
// earlier one, as in the script); nullopt when there is none.
std::optional<std::string> formField(const FormFields& fields, std::string_view name);

}  // namespace pellora::tessaron
