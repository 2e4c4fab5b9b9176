#include "control/type_info.h"

#include <atomic>
#include <memory>

#include "control/com/com_object.h"
#include "control/com/runtime.h"
#include "control/module_state.h"

namespace pellora {

HRESULT idsOfNames(const TypeDescription& type, LPOLESTR* names, std::uint32_t count, DISPID* ids) {
  if (count == 0) return S_OK;
  if (!names || !ids) return E_POINTER;
  for (std::uint32_t i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  const MemberInfo* member = findMember(type, names[0]);
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->dispid;
  HRESULT result = S_OK;
  for (std::uint32_t i = 1; i < count; ++i) {
    for (std::size_t p = 0; names[i] && p < member->params.size(); ++p) {
      const std::u16string_view wanted(names[i]);
      if (wanted.size() == member->params[p].name.size() &&
          std::equal(wanted.begin(), wanted.end(), member->params[p].name.begin(),
                     [](char16_t a, char16_t b) {
                       auto f = [](char16_t c) {
                         return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
                       };
                       return f(a) == f(b);
                     })) {
        ids[i] = static_cast<DISPID>(p);
      }
    }
    if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

namespace {

// One FUNCDESC per accessor, in vtable order, as a type library lists them.
struct FunctionEntry {
  const MemberInfo* member;
  INVOKEKIND kind;
};

std::vector<FunctionEntry> functionsOf(const TypeDescription& type) {
  std::vector<FunctionEntry> out;
  for (const auto& member : type.members) {
    if (member.accessors & kMethod) out.push_back({&member, INVOKE_FUNC});
    if (member.accessors & kGet) out.push_back({&member, INVOKE_PROPERTYGET});
    if (member.accessors & kPut) out.push_back({&member, INVOKE_PROPERTYPUT});
    if (member.accessors & kPutRef) out.push_back({&member, INVOKE_PROPERTYPUTREF});
  }
  return out;
}

class TypeInfo final : public ComObject<ITypeInfo, IID_ITypeInfo> {
 public:
  explicit TypeInfo(const TypeDescription& type) : type_(type), functions_(functionsOf(type)) {}

  HRESULT GetTypeAttr(TYPEATTR** out) override {
    if (!out) return E_POINTER;
    auto attr = std::make_unique<TYPEATTR>();
    attr->guid = *type_.guid;
    attr->lcid = 0;
    attr->wMajorVerNum = 1;
    attr->wMinorVerNum = 0;
    switch (type_.kind) {
      case TypeKind::Interface:
        attr->typekind = TKIND_DISPATCH;  // a dual interface is seen through IDispatch
        attr->wTypeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
        attr->cImplTypes = 1;
        break;
      case TypeKind::DispInterface:
        attr->typekind = TKIND_DISPATCH;
        attr->wTypeFlags = TYPEFLAG_FDISPATCHABLE;
        attr->cImplTypes = 1;
        break;
      case TypeKind::CoClass:
        attr->typekind = TKIND_COCLASS;
        attr->wTypeFlags = TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL;
        attr->cImplTypes = 2;
        break;
      case TypeKind::Enum:
        attr->typekind = TKIND_ENUM;
        attr->cVars = static_cast<std::uint16_t>(type_.values.size());
        break;
    }
    attr->cFuncs = static_cast<std::uint16_t>(functions_.size());
    *out = attr.release();
    return S_OK;
  }
  void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

  HRESULT GetFuncDesc(std::uint32_t index, FUNCDESC** out) override {
    if (!out) return E_POINTER;
    if (index >= functions_.size()) return TYPE_E_ELEMENTNOTFOUND;
    const FunctionEntry& entry = functions_[index];
    auto desc = std::make_unique<FUNCDESC>();
    desc->memid = entry.member->dispid;
    desc->invkind = entry.kind;
    desc->cParams = static_cast<std::int16_t>(entry.kind == INVOKE_FUNC
                                                  ? entry.member->params.size()
                                                  : (entry.kind == INVOKE_PROPERTYGET ? 0 : 1));
    desc->wFuncFlags = entry.member->hidden ? FUNCFLAG_FHIDDEN : 0;
    // Slots 0-6 are IUnknown and IDispatch.
    desc->oVft = type_.kind == TypeKind::Interface
                     ? static_cast<std::int16_t>((7 + index) * sizeof(void*))
                     : 0;
    *out = desc.release();
    return S_OK;
  }
  void ReleaseFuncDesc(FUNCDESC* desc) override { delete desc; }

  HRESULT GetNames(DISPID memid, BSTR* names, std::uint32_t max, std::uint32_t* count) override {
    if (!names || !count) return E_POINTER;
    const MemberInfo* member = findMember(type_, memid);
    if (!member) return TYPE_E_ELEMENTNOTFOUND;
    std::uint32_t n = 0;
    if (n < max) names[n++] = allocBstr(member->name);
    for (const auto& param : member->params) {
      if (n < max) names[n++] = allocBstr(param.name);
    }
    *count = n;
    return S_OK;
  }

  HRESULT GetIDsOfNames(LPOLESTR* names, std::uint32_t count, DISPID* ids) override {
    return idsOfNames(type_, names, count, ids);
  }

  HRESULT GetDocumentation(DISPID memid, BSTR* name, BSTR* doc, std::uint32_t* context,
                           BSTR* helpFile) override {
    std::u16string_view theName, theDoc;
    if (memid == DISPID_UNKNOWN) {
      theName = type_.name;
      theDoc = type_.docString;
    } else if (const MemberInfo* member = findMember(type_, memid)) {
      theName = member->name;
    } else {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (name) *name = allocBstr(theName);
    if (doc) *doc = theDoc.empty() ? nullptr : allocBstr(theDoc);
    if (context) *context = 0;
    if (helpFile) *helpFile = nullptr;
    return S_OK;
  }

  // Not offered by this type information.
  HRESULT GetTypeComp(void**) override { return E_NOTIMPL; }
  HRESULT GetVarDesc(std::uint32_t, void**) override { return E_NOTIMPL; }
  HRESULT GetRefTypeOfImplType(std::uint32_t, std::uint32_t*) override { return E_NOTIMPL; }
  HRESULT GetImplTypeFlags(std::uint32_t, std::int32_t*) override { return E_NOTIMPL; }
  HRESULT Invoke(void*, DISPID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, std::uint32_t*) override {
    return E_NOTIMPL;
  }
  HRESULT GetDllEntry(DISPID, INVOKEKIND, BSTR*, BSTR*, std::uint16_t*) override {
    return E_NOTIMPL;
  }
  HRESULT GetRefTypeInfo(std::uint32_t, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT AddressOfMember(DISPID, INVOKEKIND, void**) override { return E_NOTIMPL; }
  HRESULT CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT GetMops(DISPID, BSTR*) override { return E_NOTIMPL; }
  HRESULT GetContainingTypeLib(ITypeLib**, std::uint32_t*) override { return E_NOTIMPL; }
  void ReleaseVarDesc(void*) override {}

 private:
  const TypeDescription& type_;
  std::vector<FunctionEntry> functions_;
  // Handed out to hosts: the module must stay loaded while one is held.
  ObjectCount count_;
};

}  // namespace

ITypeInfo* createTypeInfo(const TypeDescription& type) { return new TypeInfo(type); }

}  // namespace pellora
