// Covered by tests/app/tessaron_server_test.cpp (FormBody*) and
// tests/app/tessaron_server_streaming_test.cpp.
#include "app/tessaron_server/form_body.h"

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
