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

namespace pellora::tessaron {

using FormFields = std::vector<std::pair<std::string, std::string>>;

std::string percentDecode(std::string_view text);

FormFields parseFormBody(std::string_view body);

// The value of the last field called `name` (a later field overrides an
// earlier one, as in the script); nullopt when there is none.
std::optional<std::string> formField(const FormFields& fields, std::string_view name);

}  // namespace pellora::tessaron
