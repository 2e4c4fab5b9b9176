// ITypeInfo over the member tables of the type library, so hosts can list
// members, names, dispatch ids and doc strings. The structure blocks are a
// reduced form of the Windows ones (Linux hosts read only these fields);
// members a host has no use for here answer E_NOTIMPL.
#pragma once

#include "control/pellora_tlb.h"

namespace pellora::com {

enum TYPEKIND : std::int32_t {
  TKIND_ENUM = 0,
  TKIND_INTERFACE = 3,
  TKIND_DISPATCH = 4,
  TKIND_COCLASS = 5,
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  TYPEKIND typekind;
  std::uint16_t cFuncs;
  std::uint16_t cVars;
  std::uint16_t cImplTypes;
  std::uint16_t wMajorVerNum;
  std::uint16_t wMinorVerNum;
  std::uint16_t wTypeFlags;
};

enum INVOKEKIND : std::int32_t {
  INVOKE_FUNC = 1,
  INVOKE_PROPERTYGET = 2,
  INVOKE_PROPERTYPUT = 4,
  INVOKE_PROPERTYPUTREF = 8,
};

inline constexpr std::uint16_t FUNCFLAG_FHIDDEN = 0x40;
inline constexpr std::uint16_t TYPEFLAG_FDUAL = 0x40, TYPEFLAG_FOLEAUTOMATION = 0x100,
                               TYPEFLAG_FCANCREATE = 0x2, TYPEFLAG_FCONTROL = 0x20,
                               TYPEFLAG_FDISPATCHABLE = 0x1000;

struct FUNCDESC {
  DISPID memid;
  INVOKEKIND invkind;
  std::int16_t cParams;
  std::uint16_t wFuncFlags;
  std::int16_t oVft;  // vtable offset in bytes, 0 for dispinterfaces
};

class ITypeLib;

class ITypeInfo : public IUnknown {
 public:
  virtual HRESULT GetTypeAttr(TYPEATTR** ppTypeAttr) = 0;
  virtual HRESULT GetTypeComp(void** ppTComp) = 0;
  virtual HRESULT GetFuncDesc(std::uint32_t index, FUNCDESC** ppFuncDesc) = 0;
  virtual HRESULT GetVarDesc(std::uint32_t index, void** ppVarDesc) = 0;
  virtual HRESULT GetNames(DISPID memid, BSTR* rgBstrNames, std::uint32_t cMaxNames,
                           std::uint32_t* pcNames) = 0;
  virtual HRESULT GetRefTypeOfImplType(std::uint32_t index, std::uint32_t* pRefType) = 0;
  virtual HRESULT GetImplTypeFlags(std::uint32_t index, std::int32_t* pImplTypeFlags) = 0;
  virtual HRESULT GetIDsOfNames(LPOLESTR* rgszNames, std::uint32_t cNames, DISPID* pMemId) = 0;
  virtual HRESULT Invoke(void* pvInstance, DISPID memid, WORD wFlags, DISPPARAMS* pDispParams,
                         VARIANT* pVarResult, EXCEPINFO* pExcepInfo, std::uint32_t* puArgErr) = 0;
  virtual HRESULT GetDocumentation(DISPID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                   std::uint32_t* pdwHelpContext, BSTR* pBstrHelpFile) = 0;
  virtual HRESULT GetDllEntry(DISPID memid, INVOKEKIND invKind, BSTR* pBstrDllName, BSTR* pBstrName,
                              std::uint16_t* pwOrdinal) = 0;
  virtual HRESULT GetRefTypeInfo(std::uint32_t hRefType, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT AddressOfMember(DISPID memid, INVOKEKIND invKind, void** ppv) = 0;
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObj) = 0;
  virtual HRESULT GetMops(DISPID memid, BSTR* pBstrMops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** ppTLib, std::uint32_t* pIndex) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* pTypeAttr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* pFuncDesc) = 0;
  virtual void ReleaseVarDesc(void* pVarDesc) = 0;

 protected:
  ~ITypeInfo() = default;
};

}  // namespace pellora::com

namespace pellora {

// A new type-info object for `type` (reference count 1; the caller releases).
ITypeInfo* createTypeInfo(const TypeDescription& type);

// GetIDsOfNames over a member table: the first name is the member, further
// names its parameters. Unknown names give DISPID_UNKNOWN and
// DISP_E_UNKNOWNNAME.
HRESULT idsOfNames(const TypeDescription& type, LPOLESTR* names, std::uint32_t count, DISPID* ids);

}  // namespace pellora
