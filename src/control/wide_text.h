// Text at the automation border: wide strings in, Windows-1252 inside.
#pragma once

#include <string>

#include "control/com/com_types.h"

namespace pellora {

std::string narrowText(com::BSTR text);
std::u16string widenText(const std::string& text);

}  // namespace pellora
