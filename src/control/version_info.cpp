#include "control/version_info.h"

namespace pellora {

VersionFields parseVersionEntries(std::string_view block) {
  VersionFields fields;
  while (!block.empty()) {
    const auto end = block.find('\0');
    const std::string_view entry = block.substr(0, end);
    if (const auto equals = entry.find('='); equals != std::string_view::npos) {
      fields.emplace(std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1)));
    }
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
  return fields;
}

const VersionFields& moduleVersionFields() {
  static const VersionFields fields = parseVersionEntries(
      std::string_view(PELLORA_VERSION_RESOURCE, sizeof(PELLORA_VERSION_RESOURCE) - 1));
  return fields;
}

}  // namespace pellora
