// Writes the SDK header pellora/automation.h from the interface
// description: GUIDs, enumerations, dispatch ids, and each interface as a
// C++ abstract class and as a C vtable struct with call macros
// (IPellora_Load(This)), both laid out as the module's vtables.
#pragma once

#include <string>

#include "sdk/idl_model.h"

namespace pellora::sdk {

std::string writeAutomationHeader(const IdlLibrary& library);

}  // namespace pellora::sdk
