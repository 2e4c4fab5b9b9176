// Covered by tests/app/tessaron_server_test.cpp (FormBody*),
// tests/app/tessaron_server_streaming_test.cpp,
// tests/app/tessaron_server_upload_test.cpp (BodyScanners*) and
// tests/app/tessaron_server_large_body_test.cpp.
#include "app/tessaron_server/form_body.h"

#include <algorithm>

#include "content/hex_digits.h"

namespace pellora::tessaron {

namespace {

// Decodes the byte at `i` into `out`; how many input bytes it took.
std::size_t decodeAt(std::string_view text, std::size_t i, char& out) {
  const char c = text[i];
  if (c == '+') {
    out = ' ';
  } else if (const auto byte = content::percentEscapeAt(text, i)) {
    out = *byte;
    return 3;
  } else {
    out = c;
  }
  return 1;
}

}  // namespace

std::string percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char c;
    i += decodeAt(text, i, c);
    out += c;
  }
  return out;
}

bool percentDecodeInPieces(std::string_view text, const ByteSink& sink) {
  char piece[65536];
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size();) {
    i += decodeAt(text, i, piece[used++]);
    if (used == sizeof piece) {
      if (!sink(std::string_view(piece, used))) return false;
      used = 0;
    }
  }
  return used == 0 || sink(std::string_view(piece, used));
}

bool PercentDecoder::feed(std::string_view piece) {
  std::string joined;
  if (!held_.empty()) {
    joined = std::move(held_) + std::string(piece);
    held_.clear();
    piece = joined;
  }
  // A "%" among the last two bytes is decided only by what comes next.
  std::size_t keep = 0;
  if (piece.size() >= 2 && piece[piece.size() - 2] == '%') {
    keep = 2;
  } else if (!piece.empty() && piece.back() == '%') {
    keep = 1;
  }
  held_ = std::string(piece.substr(piece.size() - keep));
  return percentDecodeInPieces(piece.substr(0, piece.size() - keep), sink_);
}

bool PercentDecoder::finish() {
  const std::string rest = std::move(held_);
  held_.clear();
  return percentDecodeInPieces(rest, sink_);
}

FormScanner::FormScanner(std::vector<std::string> names)
    : names_(std::move(names)), found_(names_.size()) {
  for (const auto& name : names_) longestName_ = std::max(longestName_, 3 * name.size());
}

void FormScanner::feed(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t stop = equals_ ? bytes.find('&', pos) : bytes.find_first_of("&=", pos);
    const std::size_t end = stop == std::string_view::npos ? bytes.size() : stop;
    if (!equals_ && name_.size() <= longestName_) {
      name_ += bytes.substr(pos, std::min(end - pos, longestName_ + 1 - name_.size()));
    }
    if (stop == std::string_view::npos) break;
    if (bytes[stop] == '=') {
      equals_ = at_ + stop;
    } else {
      endField(at_ + stop);
    }
    pos = stop + 1;
  }
  at_ += bytes.size();
}

void FormScanner::finish() { endField(at_); }

void FormScanner::endField(std::size_t end) {
  if (end > start_ && name_.size() <= longestName_) {
    const std::string name = percentDecode(name_);
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (name != names_[i]) continue;
      found_[i] = equals_ ? Range{*equals_ + 1, end - *equals_ - 1} : Range{end, 0};
    }
  }
  start_ = end + 1;
  equals_.reset();
  name_.clear();
}

std::optional<FormScanner::Range> FormScanner::last(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) return found_[i];
  }
  return std::nullopt;
}

std::vector<RawFormField> scanFormBody(std::string_view body) {
  std::vector<RawFormField> fields;
  std::size_t pos = 0;
  while (pos <= body.size()) {
    std::size_t end = body.find('&', pos);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(pos, end - pos);
    if (!field.empty()) {
      const std::size_t equals = field.find('=');
      if (equals == std::string_view::npos) {
        fields.push_back({percentDecode(field), field.substr(field.size())});
      } else {
        fields.push_back({percentDecode(field.substr(0, equals)), field.substr(equals + 1)});
      }
    }
    pos = end + 1;
  }
  return fields;
}

std::optional<std::string_view> rawFormField(const std::vector<RawFormField>& fields,
                                             std::string_view name) {
  std::optional<std::string_view> value;
  for (const auto& field : fields) {
    if (field.name == name) value = field.value;
  }
  return value;
}

FormFields parseFormBody(std::string_view body) {
  FormFields fields;
  for (const auto& field : scanFormBody(body)) {
    fields.emplace_back(field.name, percentDecode(field.value));
  }
  return fields;
}

std::optional<std::string> formField(const FormFields& fields, std::string_view name) {
  std::optional<std::string> value;
  for (const auto& [key, text] : fields) {
    if (key == name) value = text;
  }
  return value;
}

}  // namespace pellora::tessaron
