#include "control/wide_text.h"

#include "control/com/runtime.h"
#include "settings/codepage.h"

namespace pellora {

std::string narrowText(com::BSTR text) {
  const std::u16string wide = com::bstrView(text);
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t code = wide[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    if (auto byte = settings::unicodeToCp1252(code)) {
      out += static_cast<char>(*byte);
    } else {
      // Kept as a character reference, so nothing typed is lost.
      out += "&#" + std::to_string(static_cast<unsigned long>(code)) + ";";
    }
  }
  return out;
}

std::u16string widenText(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    out += static_cast<char16_t>(settings::cp1252ToUnicode(byte));
  }
  return out;
}

}  // namespace pellora
