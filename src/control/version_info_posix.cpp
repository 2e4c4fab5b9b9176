// Reading the version fields from an ELF module file. On Windows the fields
// are a version resource that the system reads itself.
#include <elf.h>

#include <cstring>

#include "control/version_info.h"

namespace pellora {

namespace {

// Copies a T from `bytes` at `offset`; false when it does not fit.
template <typename T>
bool readAt(std::string_view bytes, std::uint64_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

bool inside(std::string_view bytes, std::uint64_t offset, std::uint64_t size) {
  return offset <= bytes.size() && size <= bytes.size() - offset;
}

}  // namespace

std::optional<VersionFields> versionFieldsFromElf(std::string_view elf) {
  Elf64_Ehdr header;
  if (!readAt(elf, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr)) {
    return std::nullopt;
  }
  Elf64_Shdr names;
  if (header.e_shstrndx >= header.e_shnum ||
      !readAt(elf, header.e_shoff + std::uint64_t{header.e_shstrndx} * sizeof(Elf64_Shdr), names) ||
      !inside(elf, names.sh_offset, names.sh_size)) {
    return std::nullopt;
  }
  const std::string_view nameTable = elf.substr(names.sh_offset, names.sh_size);
  for (std::uint64_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr section;
    if (!readAt(elf, header.e_shoff + i * sizeof(Elf64_Shdr), section)) return std::nullopt;
    if (section.sh_name >= nameTable.size()) continue;
    const std::string_view rest = nameTable.substr(section.sh_name);
    if (rest.substr(0, rest.find('\0')) != kVersionSection) continue;
    if (!inside(elf, section.sh_offset, section.sh_size)) return std::nullopt;
    return parseVersionEntries(elf.substr(section.sh_offset, section.sh_size));
  }
  return std::nullopt;
}

}  // namespace pellora
