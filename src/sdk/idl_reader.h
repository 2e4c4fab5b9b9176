// Reads the subset of MIDL the module's interface description uses: one
// declaration or member per line, attributes in brackets before what they
// qualify. Throws std::runtime_error naming the line for anything in a
// block it does not understand, so a change to the IDL cannot silently
// drop a slot from the SDK.
#pragma once

#include <string_view>

#include "sdk/idl_model.h"

namespace pellora::sdk {

IdlLibrary readIdl(std::string_view text);

}  // namespace pellora::sdk
