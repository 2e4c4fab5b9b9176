// The version resource of the control module. The fields are constants of
// the module: the module carries them as "Name=Value" entries, NUL
// separated, in an ELF section of its own (kVersionSection), where a host
// reads them from the file without loading it, as a version resource is read
// on Windows.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pellora {

inline constexpr const char* kVersionSection = "pellora_version";

// The entries, in the module's order. The fixed part (file and product
// version as four numbers) comes first.
#define PELLORA_VERSION_RESOURCE                  \
  "FixedFileVersion=2.1.100.0\0"                  \
  "FixedProductVersion=2.1.100.0\0"               \
  "Language=0409\0"                               \
  "CodePage=1252\0"                               \
  "FileType=DLL\0"                                \
  "FileDescription=WYSIWYG-Editor for Tessaron\0" \
  "FileVersion=2.1.100.0\0"                       \
  "InternalName=Pellora\0"                        \
  "OriginalFilename=pellora.ocx\0"                \
  "ProductName=Pellora ActiveX Control\0"         \
  "ProductVersion=2.1\0"                          \
  "OleSelfRegister=1\0"

using VersionFields = std::map<std::string, std::string, std::less<>>;

// Splits "Name=Value\0..." entries; entries without "=" are skipped.
VersionFields parseVersionEntries(std::string_view block);

// The fields of this module, from the constant above.
const VersionFields& moduleVersionFields();

// Finds the version section in the bytes of an ELF file and parses it;
// nullopt when the bytes are no ELF file or hold no such section. Reads only
// inside `elf`, whatever its header claims. POSIX builds only.
std::optional<VersionFields> versionFieldsFromElf(std::string_view elf);

}  // namespace pellora
