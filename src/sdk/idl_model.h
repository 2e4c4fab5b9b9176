// What the SDK header takes from the module's interface description (the
// IDL the Windows build compiles into its type library): the library, its
// enumerations, dual interfaces with their vtable slots in order, event
// dispinterfaces and coclasses. Types are already C types ("int32_t",
// "BSTR*").
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pellora::sdk {

struct IdlParam {
  std::string type;
  std::string name;
};

enum class Accessor { Method, Get, Put, PutRef };

struct IdlMember {
  std::string name;  // as the IDL spells it: "Visible", "Load"
  std::int32_t dispid = 0;
  Accessor accessor = Accessor::Method;
  std::vector<IdlParam> params;
  // The slot's name in the vtable: get_Visible, put_Visible, putref_Font, Load.
  std::string slotName() const;
};

struct IdlInterface {
  std::string name, base, uuid;
  std::vector<IdlMember> members;  // in vtable order
};

struct IdlEnum {
  std::string name, uuid;
  std::vector<std::pair<std::string, std::string>> values;
};

struct IdlNamed {
  std::string name, uuid;
};

struct IdlLibrary {
  IdlNamed library;
  std::vector<IdlEnum> enums;
  std::vector<IdlInterface> interfaces;      // dual or custom: vtable slots
  std::vector<IdlInterface> dispinterfaces;  // dispatch ids only
  std::vector<IdlNamed> coclasses;
};

}  // namespace pellora::sdk
