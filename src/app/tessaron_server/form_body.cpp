// Covered by tests/app/tessaron_server_test.cpp (FormBody*).
#include "app/tessaron_server/form_body.h"

namespace pellora::tessaron {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
               hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

FormFields parseFormBody(std::string_view body) {
  FormFields fields;
  std::size_t pos = 0;
  while (pos <= body.size()) {
    std::size_t end = body.find('&', pos);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(pos, end - pos);
    if (!field.empty()) {
      const std::size_t equals = field.find('=');
      if (equals == std::string_view::npos) {
        fields.emplace_back(percentDecode(field), std::string());
      } else {
        fields.emplace_back(percentDecode(field.substr(0, equals)),
                            percentDecode(field.substr(equals + 1)));
      }
    }
    pos = end + 1;
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
