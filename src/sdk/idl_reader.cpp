// Covered by tests/sdk/sdk_layout_test.cpp, which compiles its output.
#include "sdk/idl_reader.h"

#include <algorithm>
#include <regex>
#include <stdexcept>

namespace pellora::sdk {

namespace {

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// IDL base types as fixed-width C types: `long` is 32 bits in IDL but 64 in
// C on this system.
std::string cType(const std::string& idlType) {
  const auto stars = idlType.find('*');
  const std::string base = trim(idlType.substr(0, stars));
  const std::string pointers = stars == std::string::npos ? "" : idlType.substr(stars);
  std::string mapped = base;
  if (base == "long")
    mapped = "int32_t";
  else if (base == "short")
    mapped = "int16_t";
  else if (base == "IFontDisp")
    mapped = "IDispatch";
  return mapped + pointers;
}

std::vector<IdlParam> readParams(const std::string& list) {
  static const std::regex attributes(R"(\[[^\]]*\])");
  static const std::regex param(R"(^(.*[\s*])([A-Za-z_]\w*)$)");
  const std::string bare = std::regex_replace(list, attributes, "");
  std::vector<IdlParam> params;
  std::size_t start = 0;
  while (start <= bare.size()) {
    const std::size_t comma = std::min(bare.find(',', start), bare.size());
    const std::string one = trim(std::string_view(bare).substr(start, comma - start));
    start = comma + 1;
    if (one.empty() || one == "void") continue;
    std::smatch parts;
    if (!std::regex_match(one, parts, param)) throw std::runtime_error("parameter " + one);
    std::string type = parts[1];
    type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
    params.push_back({cType(type), parts[2]});
  }
  return params;
}

IdlMember readMember(const std::string& attributes, const std::string& name,
                     const std::string& params) {
  static const std::regex id(R"(\bid\((-?\d+)\))");
  IdlMember member;
  member.name = name;
  std::smatch dispid;
  if (!std::regex_search(attributes, dispid, id)) throw std::runtime_error("no id for " + name);
  member.dispid = std::stoi(dispid[1]);
  if (std::regex_search(attributes, std::regex(R"(\bpropputref\b)")))
    member.accessor = Accessor::PutRef;
  else if (std::regex_search(attributes, std::regex(R"(\bpropput\b)")))
    member.accessor = Accessor::Put;
  else if (std::regex_search(attributes, std::regex(R"(\bpropget\b)")))
    member.accessor = Accessor::Get;
  member.params = readParams(params);
  return member;
}

enum class Block { None, Enum, Interface, DispInterface };

}  // namespace

std::string IdlMember::slotName() const {
  switch (accessor) {
    case Accessor::Get:
      return "get_" + name;
    case Accessor::Put:
      return "put_" + name;
    case Accessor::PutRef:
      return "putref_" + name;
    case Accessor::Method:
      break;
  }
  return name;
}

IdlLibrary readIdl(std::string_view text) {
  static const std::regex uuid(R"(\buuid\(([0-9A-Fa-f-]{36})\))");
  static const std::regex library(R"(^\s*library\s+(\w+)\s*$)");
  static const std::regex enumStart(R"(^\s*enum\s+(\w+)\s*\{\s*$)");
  static const std::regex enumValue(R"(^\s*(\w+)\s*=\s*(-?\w+)\s*,?\s*$)");
  static const std::regex interfaceStart(R"(^\s*interface\s+(\w+)\s*:\s*(\w+)\s*$)");
  static const std::regex dispStart(R"(^\s*dispinterface\s+(\w+)\s*$)");
  static const std::regex coclass(R"(^\s*coclass\s+(\w+)\s*$)");
  static const std::regex method(R"(^\s*\[([^\]]*)\]\s*HRESULT\s+(\w+)\s*\((.*)\)\s*;\s*$)");
  static const std::regex event(R"(^\s*\[([^\]]*)\]\s*void\s+(\w+)\s*\((.*)\)\s*;\s*$)");
  static const std::regex ignorable(R"(^\s*(\{|\}.*;|properties:|methods:)?\s*$)");

  IdlLibrary result;
  std::string pendingUuid;
  Block block = Block::None;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size(); ++lineNumber) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line(text.substr(start, end - start));
    start = end + 1;
    if (const auto comment = line.find("//"); comment != std::string::npos) line.erase(comment);
    std::smatch m;
    try {
      if (std::regex_search(line, m, uuid)) pendingUuid = m[1];
      if (block == Block::Enum) {
        if (std::regex_match(line, m, enumValue))
          result.enums.back().values.emplace_back(m[1], m[2]);
        else if (line.find('}') != std::string::npos)
          block = Block::None;
        else if (!std::regex_match(line, ignorable))
          throw std::runtime_error("unexpected in an enumeration");
      } else if (block == Block::Interface || block == Block::DispInterface) {
        const auto& form = block == Block::Interface ? method : event;
        auto& target = block == Block::Interface ? result.interfaces : result.dispinterfaces;
        if (std::regex_match(line, m, form))
          target.back().members.push_back(readMember(m[1], m[2], m[3]));
        else if (line.find('}') != std::string::npos)
          block = Block::None;
        else if (!std::regex_match(line, ignorable))
          throw std::runtime_error("unexpected in an interface");
      } else if (std::regex_match(line, m, library)) {
        result.library = {m[1], pendingUuid};
      } else if (std::regex_match(line, m, enumStart)) {
        result.enums.push_back({m[1], pendingUuid, {}});
        block = Block::Enum;
      } else if (std::regex_match(line, m, interfaceStart)) {
        result.interfaces.push_back({m[1], m[2], pendingUuid, {}});
        block = Block::Interface;
      } else if (std::regex_match(line, m, dispStart)) {
        result.dispinterfaces.push_back({m[1], "IDispatch", pendingUuid, {}});
        block = Block::DispInterface;
      } else if (std::regex_match(line, m, coclass)) {
        result.coclasses.push_back({m[1], pendingUuid});
      }
    } catch (const std::exception& failure) {
      throw std::runtime_error("line " + std::to_string(lineNumber + 1) + ": " + failure.what() +
                               ": " + line);
    }
  }
  if (result.library.uuid.empty()) throw std::runtime_error("no library in the description");
  return result;
}

}  // namespace pellora::sdk
