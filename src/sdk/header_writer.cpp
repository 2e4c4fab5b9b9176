// Covered by tests/sdk/sdk_layout_test.cpp, which compiles its output.
#include "sdk/header_writer.h"

#include <set>
#include <sstream>
#include <stdexcept>

namespace pellora::sdk {

namespace {

// "C619D43B-7393-411C-947F-ED62DBB75AA0" as the arguments of
// PELLORA_DEFINE_GUID.
std::string guidArguments(const std::string& uuid) {
  if (uuid.size() != 36) throw std::runtime_error("malformed uuid " + uuid);
  std::string out =
      "0x" + uuid.substr(0, 8) + ", 0x" + uuid.substr(9, 4) + ", 0x" + uuid.substr(14, 4);
  const std::string bytes = uuid.substr(19, 4) + uuid.substr(24, 12);
  for (std::size_t i = 0; i < bytes.size(); i += 2) out += ", 0x" + bytes.substr(i, 2);
  return out;
}

void writeGuid(std::ostream& out, const std::string& name, const std::string& uuid) {
  out << "/* {" << uuid << "} */\n"
      << "PELLORA_DEFINE_GUID(" << name << ", " << guidArguments(uuid) << ");\n";
}

std::string paramList(const std::vector<IdlParam>& params) {
  std::string list;
  for (const auto& p : params) list += (list.empty() ? "" : ", ") + p.type + " " + p.name;
  return list;
}

struct Slot {
  std::string name;
  std::vector<IdlParam> params;
};

// The inherited slots, for the C call macros.
std::vector<Slot> baseSlots(const std::string& base) {
  std::vector<Slot> slots = {
      {"QueryInterface", {{"REFIID", "riid"}, {"void**", "ppv"}}}, {"AddRef", {}}, {"Release", {}}};
  if (base == "IDispatch") {
    slots.push_back({"GetTypeInfoCount", {{"uint32_t*", "count"}}});
    slots.push_back({"GetTypeInfo", {{"uint32_t", "index"}, {"LCID", "lcid"}, {"void**", "info"}}});
    slots.push_back({"GetIDsOfNames",
                     {{"REFIID", "riid"},
                      {"LPOLESTR*", "names"},
                      {"uint32_t", "count"},
                      {"LCID", "lcid"},
                      {"DISPID*", "ids"}}});
    slots.push_back({"Invoke",
                     {{"DISPID", "member"},
                      {"REFIID", "riid"},
                      {"LCID", "lcid"},
                      {"WORD", "flags"},
                      {"DISPPARAMS*", "params"},
                      {"VARIANT*", "result"},
                      {"EXCEPINFO*", "exception"},
                      {"uint32_t*", "argError"}}});
  } else if (base != "IUnknown") {
    throw std::runtime_error("an interface derives from " + base);
  }
  return slots;
}

void writeCallMacro(std::ostream& out, const std::string& interface, const Slot& slot) {
  // Numbered arguments: a parameter named like the slot (Options) would
  // replace the member's name in the expansion.
  std::string names = "This";
  for (std::size_t i = 1; i <= slot.params.size(); ++i) names += ", a" + std::to_string(i);
  out << "#define " << interface << "_" << slot.name << "(" << names << ") ((This)->lpVtbl->"
      << slot.name << "(" << names << "))\n";
}

// Each property's dispatch id once, each method's once.
void writeDispids(std::ostream& out, const IdlInterface& type) {
  if (type.members.empty()) return;
  std::set<std::string> seen;
  out << "enum {\n";
  for (const auto& member : type.members) {
    if (!seen.insert(member.name).second) continue;
    out << "  DISPID_" << type.name << "_" << member.name << " = " << member.dispid << ",\n";
  }
  out << "};\n";
}

void writeInterface(std::ostream& out, const IdlInterface& type) {
  out << "\n/* interface " << type.name << " : " << type.base << " */\n";
  writeGuid(out, "IID_" + type.name, type.uuid);
  writeDispids(out, type);
  out << "#ifdef PELLORA_CPP_INTERFACES\n"
      << "struct " << type.name << " : public " << type.base << " {\n";
  for (const auto& member : type.members)
    out << "  virtual HRESULT " << member.slotName() << "(" << paramList(member.params)
        << ") = 0;\n";
  out << "\n protected:\n  ~" << type.name << "() = default;\n};\n"
      << "#else\n"
      << "typedef struct " << type.name << " " << type.name << ";\n"
      << "typedef struct " << type.name << "Vtbl {\n"
      << "  PELLORA_" << (type.base == "IDispatch" ? "IDISPATCH" : "IUNKNOWN") << "_SLOTS("
      << type.name << ")\n";
  for (const auto& member : type.members) {
    const std::string rest = paramList(member.params);
    out << "  HRESULT (*" << member.slotName() << ")(" << type.name << "* This"
        << (rest.empty() ? "" : ", " + rest) << ");\n";
  }
  out << "} " << type.name << "Vtbl;\n"
      << "struct " << type.name << " {\n  const " << type.name << "Vtbl* lpVtbl;\n};\n";
  for (const auto& slot : baseSlots(type.base)) writeCallMacro(out, type.name, slot);
  for (const auto& member : type.members)
    writeCallMacro(out, type.name, {member.slotName(), member.params});
  out << "#endif\n";
}

}  // namespace

std::string writeAutomationHeader(const IdlLibrary& library) {
  std::ostringstream out;
  out << "/* Pellora SDK: the control's automation interfaces. Generated from the\n"
      << " * module's interface description (pellora.idl) by pellora-sdk-header; do\n"
      << " * not edit. */\n"
      << "#ifndef PELLORA_AUTOMATION_H\n#define PELLORA_AUTOMATION_H\n\n"
      << "#include \"pellora/com.h\"\n\n"
      << "/* library " << library.library.name << " */\n";
  writeGuid(out, "LIBID_" + library.library.name, library.library.uuid);
  for (const auto& type : library.enums) {
    out << "\n";
    writeGuid(out, "GUID_" + type.name, type.uuid);
    out << "typedef enum " << type.name << " {\n";
    for (const auto& [name, value] : type.values) out << "  " << name << " = " << value << ",\n";
    out << "} " << type.name << ";\n";
  }
  for (const auto& type : library.interfaces) writeInterface(out, type);
  for (const auto& type : library.dispinterfaces) {
    out << "\n/* dispinterface " << type.name
        << ": a host's sink answers these ids in IDispatch::Invoke */\n";
    writeGuid(out, "DIID_" + type.name, type.uuid);
    writeDispids(out, type);
  }
  for (const auto& type : library.coclasses) {
    out << "\n/* coclass " << type.name << " */\n";
    writeGuid(out, "CLSID_" + type.name, type.uuid);
  }
  out << "\n#endif /* PELLORA_AUTOMATION_H */\n";
  return out.str();
}

}  // namespace pellora::sdk
