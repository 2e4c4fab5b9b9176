/* Pellora SDK: the COM vocabulary a host needs to drive the control module
 * on Linux: result codes, GUIDs, wide strings (BSTR), variants, the
 * dispatch parameter blocks and the base interfaces, laid out exactly as
 * the module lays them out.
 *
 * Usable from C (C11) and C++. In C++ an interface is an abstract class
 * whose vtable holds its slots in order; in C (or with CINTERFACE defined)
 * it is a struct whose first member `lpVtbl` points at a table of function
 * pointers that take the object as their first argument, so the same
 * object serves both.
 *
 * Strings cross the interface as BSTRs: length-prefixed UTF-16 allocated by
 * the runtime library libpellora_com (pkg-config pellora), which the module
 * uses too. A host frees every BSTR the control hands out with
 * PelloraSysFreeString, and passes BSTRs it made with
 * PelloraSysAllocString(Len). */
#ifndef PELLORA_COM_H
#define PELLORA_COM_H

#include <stddef.h>
#include <stdint.h>

#if defined(__cplusplus) && !defined(CINTERFACE)
#define PELLORA_CPP_INTERFACES 1
#endif

#ifdef __cplusplus
#define PELLORA_EXTERN_C extern "C"
#else
#define PELLORA_EXTERN_C
#endif
#ifdef _WIN32
#define PELLORA_API PELLORA_EXTERN_C
#else
#define PELLORA_API PELLORA_EXTERN_C __attribute__((visibility("default")))
#endif

typedef int32_t HRESULT;
typedef uint32_t ULONG;
typedef int32_t DISPID;
typedef uint32_t LCID;
typedef uint16_t WORD;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
#ifdef __cplusplus
typedef char16_t OLECHAR;
#else
typedef uint16_t OLECHAR;
#endif
typedef OLECHAR* BSTR;
typedef OLECHAR* LPOLESTR;
typedef uint32_t OLE_COLOR;

/* Constants as enumerators and functions rather than macros, so they keep
 * to C++ scopes and clash with nothing of the same name elsewhere. */
enum { VARIANT_TRUE = -1, VARIANT_FALSE = 0 };

static inline int SUCCEEDED(HRESULT hr) { return hr >= 0; }
static inline int FAILED(HRESULT hr) { return hr < 0; }

enum {
  S_OK = 0,
  S_FALSE = 1,
  E_NOTIMPL = (int32_t)0x80004001,
  E_NOINTERFACE = (int32_t)0x80004002,
  E_POINTER = (int32_t)0x80004003,
  E_FAIL = (int32_t)0x80004005,
  E_UNEXPECTED = (int32_t)0x8000FFFF,
  E_OUTOFMEMORY = (int32_t)0x8007000E,
  E_INVALIDARG = (int32_t)0x80070057,
  CLASS_E_CLASSNOTAVAILABLE = (int32_t)0x80040111,
  DISP_E_MEMBERNOTFOUND = (int32_t)0x80020003,
  DISP_E_EXCEPTION = (int32_t)0x80020009
};

typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
#ifdef __cplusplus
typedef const GUID& REFIID;
typedef const GUID& REFCLSID;
#else
typedef const GUID* REFIID;
typedef const GUID* REFCLSID;
#endif

/* A GUID constant in a header: one copy per translation unit, unused ones
 * draw no warning. */
#ifdef __cplusplus
#define PELLORA_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#define PELLORA_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  static const GUID name __attribute__((unused)) = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#endif

static inline int PelloraIsEqualGUID(const GUID* a, const GUID* b) {
  return a->Data1 == b->Data1 && a->Data2 == b->Data2 && a->Data3 == b->Data3 &&
         __builtin_memcmp(a->Data4, b->Data4, sizeof a->Data4) == 0;
}

PELLORA_DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
PELLORA_DEFINE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
PELLORA_DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
PELLORA_DEFINE_GUID(IID_IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00,
                    0xAA, 0x00, 0x34, 0x1D, 0x07);
PELLORA_DEFINE_GUID(IID_IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00,
                    0x34, 0x1D, 0x07);

enum {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
  VT_BYREF = 0x4000
};

typedef struct IUnknown IUnknown;
typedef struct IDispatch IDispatch;

typedef struct VARIANT {
  VARTYPE vt;
  WORD wReserved1, wReserved2, wReserved3;
  union {
    int16_t iVal;
    int32_t lVal;
    uint8_t bVal;
    uint16_t uiVal;
    uint32_t ulVal;
    VARIANT_BOOL boolVal;
    float fltVal;
    double dblVal;
    int64_t cyVal;
    double date;
    HRESULT scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    int16_t* piVal;
    int32_t* plVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    struct VARIANT* pvarVal;
    void* byref;
  };
} VARIANT;
typedef VARIANT VARIANTARG;

typedef struct DISPPARAMS {
  VARIANTARG* rgvarg; /* arguments in reverse order */
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  uint32_t dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(struct EXCEPINFO*);
  HRESULT scode;
} EXCEPINFO;

enum { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };
enum { DISPID_UNKNOWN = -1, DISPID_PROPERTYPUT = -3 };

/* The runtime of libpellora_com. A null BSTR is the empty string. */
PELLORA_API BSTR PelloraSysAllocString(const OLECHAR* text);
PELLORA_API BSTR PelloraSysAllocStringLen(const OLECHAR* text, uint32_t length);
PELLORA_API void PelloraSysFreeString(BSTR text);
PELLORA_API uint32_t PelloraSysStringLen(BSTR text);
PELLORA_API void PelloraVariantInit(VARIANT* value);
/* Frees what the variant owns (a BSTR, a reference) and empties it. */
PELLORA_API HRESULT PelloraVariantClear(VARIANT* value);

/* The slots of the base interfaces, for the C tables of derived ones. */
#define PELLORA_IUNKNOWN_SLOTS(T)                               \
  HRESULT (*QueryInterface)(T * This, REFIID riid, void** ppv); \
  ULONG (*AddRef)(T * This);                                    \
  ULONG (*Release)(T * This);
#define PELLORA_IDISPATCH_SLOTS(T)                                                    \
  PELLORA_IUNKNOWN_SLOTS(T)                                                           \
  HRESULT (*GetTypeInfoCount)(T * This, uint32_t * count);                            \
  HRESULT (*GetTypeInfo)(T * This, uint32_t index, LCID lcid, void** info);           \
  HRESULT (*GetIDsOfNames)                                                            \
  (T * This, REFIID riid, LPOLESTR * names, uint32_t count, LCID lcid, DISPID * ids); \
  HRESULT (*Invoke)                                                                   \
  (T * This, DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS * params,  \
   VARIANT * result, EXCEPINFO * exception, uint32_t * argError);

#ifdef PELLORA_CPP_INTERFACES

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IDispatch : public IUnknown {
  virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, void** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, uint32_t count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, uint32_t* argError) = 0;

 protected:
  ~IDispatch() = default;
};

struct IClassFactory : public IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(int32_t lock) = 0;

 protected:
  ~IClassFactory() = default;
};

struct IConnectionPointContainer;

struct IConnectionPoint : public IUnknown {
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
  virtual HRESULT Unadvise(uint32_t cookie) = 0;
  virtual HRESULT EnumConnections(void** connections) = 0;

 protected:
  ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : public IUnknown {
  virtual HRESULT EnumConnectionPoints(void** points) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

#else

typedef struct IClassFactory IClassFactory;
typedef struct IConnectionPoint IConnectionPoint;
typedef struct IConnectionPointContainer IConnectionPointContainer;

typedef struct IUnknownVtbl {
  PELLORA_IUNKNOWN_SLOTS(IUnknown)
} IUnknownVtbl;
struct IUnknown {
  const IUnknownVtbl* lpVtbl;
};

typedef struct IDispatchVtbl {
  PELLORA_IDISPATCH_SLOTS(IDispatch)
} IDispatchVtbl;
struct IDispatch {
  const IDispatchVtbl* lpVtbl;
};

typedef struct IClassFactoryVtbl {
  PELLORA_IUNKNOWN_SLOTS(IClassFactory)
  HRESULT (*CreateInstance)(IClassFactory* This, IUnknown* outer, REFIID riid, void** object);
  HRESULT (*LockServer)(IClassFactory* This, int32_t lock);
} IClassFactoryVtbl;
struct IClassFactory {
  const IClassFactoryVtbl* lpVtbl;
};

typedef struct IConnectionPointVtbl {
  PELLORA_IUNKNOWN_SLOTS(IConnectionPoint)
  HRESULT (*GetConnectionInterface)(IConnectionPoint* This, IID* iid);
  HRESULT (*GetConnectionPointContainer)
  (IConnectionPoint* This, IConnectionPointContainer** container);
  HRESULT (*Advise)(IConnectionPoint* This, IUnknown* sink, uint32_t* cookie);
  HRESULT (*Unadvise)(IConnectionPoint* This, uint32_t cookie);
  HRESULT (*EnumConnections)(IConnectionPoint* This, void** connections);
} IConnectionPointVtbl;
struct IConnectionPoint {
  const IConnectionPointVtbl* lpVtbl;
};

typedef struct IConnectionPointContainerVtbl {
  PELLORA_IUNKNOWN_SLOTS(IConnectionPointContainer)
  HRESULT (*EnumConnectionPoints)(IConnectionPointContainer* This, void** points);
  HRESULT (*FindConnectionPoint)
  (IConnectionPointContainer* This, REFIID riid, IConnectionPoint** point);
} IConnectionPointContainerVtbl;
struct IConnectionPointContainer {
  const IConnectionPointContainerVtbl* lpVtbl;
};

#endif /* PELLORA_CPP_INTERFACES */

#endif /* PELLORA_COM_H */
