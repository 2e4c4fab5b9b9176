// The base interfaces. Declared as abstract classes without a virtual
// destructor, so the vtable holds exactly the interface's slots in order:
// QueryInterface, AddRef, Release, then the IDispatch members.
#pragma once

#include "control/com/com_types.h"

namespace pellora::com {

class ITypeInfo;

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IDispatch : public IUnknown {
 public:
  virtual HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(std::uint32_t iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, std::uint32_t cNames, LCID lcid,
                                DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                         std::uint32_t* puArgErr) = 0;

 protected:
  ~IDispatch() = default;
};

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(std::int32_t fLock) = 0;

 protected:
  ~IClassFactory() = default;
};

class IConnectionPointContainer;

class IConnectionPoint : public IUnknown {
 public:
  virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
  virtual HRESULT Advise(IUnknown* pUnkSink, std::uint32_t* pdwCookie) = 0;
  virtual HRESULT Unadvise(std::uint32_t dwCookie) = 0;
  virtual HRESULT EnumConnections(void** ppEnum) = 0;

 protected:
  ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
 public:
  virtual HRESULT EnumConnectionPoints(void** ppEnum) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

class ISupportErrorInfo : public IUnknown {
 public:
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_IClassFactory;
extern const IID IID_IConnectionPoint;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_ISupportErrorInfo;
extern const IID IID_IPropertyNotifySink;
extern const IID IID_ITypeInfo;
extern const IID IID_IFontDisp;

}  // namespace pellora::com
