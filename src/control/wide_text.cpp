#include "control/wide_text.h"

#include "content/cp1252.h"
#include "control/com/runtime.h"

namespace pellora {

std::string narrowText(com::BSTR text) {
  return content::utf16ToCp1252(std::u16string_view(text ? text : u"", com::SysStringLen(text)));
}

std::u16string widenText(const std::string& text) { return content::cp1252ToUtf16(text); }

}  // namespace pellora
