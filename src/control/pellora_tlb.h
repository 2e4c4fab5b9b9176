// The automation interfaces of the control and the type information behind
// them: the dual interface IPellora (vtable slots in type-library order),
// the event dispinterface IPelloraEvents, the coclass axEdit and the three
// enumerations. The member tables below are the single source for
// GetIDsOfNames, Invoke, GetTypeInfo and the registration of the library.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "control/com/com_types.h"
#include "control/com/unknown.h"

namespace pellora {

using namespace com;  // NOLINT: the COM vocabulary reads best unqualified here

extern const GUID LIBID_Pellora;
extern const IID IID_IPellora;
extern const IID DIID_IPelloraEvents;
extern const CLSID CLSID_axEdit;
extern const GUID GUID_TxActiveFormBorderStyle;
extern const GUID GUID_TxPrintScale;
extern const GUID GUID_TxMouseButton;
extern const GUID LIBID_stdole;

enum TxActiveFormBorderStyle : std::int32_t {
  afbNone = 0,
  afbSingle = 1,
  afbSunken = 2,
  afbRaised = 3
};
enum TxPrintScale : std::int32_t { poNone = 0, poProportional = 1, poPrintToFit = 2 };
enum TxMouseButton : std::int32_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

using IFontDisp = IDispatch;

class IPellora : public IDispatch {
 public:
  virtual HRESULT get_Visible(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_Visible(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_AutoScroll(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_AutoScroll(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_AutoSize(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_AutoSize(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_AxBorderStyle(TxActiveFormBorderStyle* Value) = 0;
  virtual HRESULT set_AxBorderStyle(TxActiveFormBorderStyle Value) = 0;
  virtual HRESULT get_Caption(BSTR* Value) = 0;
  virtual HRESULT set_Caption(BSTR Value) = 0;
  virtual HRESULT get_Color(OLE_COLOR* Value) = 0;
  virtual HRESULT set_Color(OLE_COLOR Value) = 0;
  virtual HRESULT get_Font(IFontDisp** Value) = 0;
  virtual HRESULT set_Font(IFontDisp* Value) = 0;
  virtual HRESULT _set_Font(IFontDisp** Value) = 0;
  virtual HRESULT get_KeyPreview(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_KeyPreview(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_PixelsPerInch(std::int32_t* Value) = 0;
  virtual HRESULT set_PixelsPerInch(std::int32_t Value) = 0;
  virtual HRESULT get_PrintScale(TxPrintScale* Value) = 0;
  virtual HRESULT set_PrintScale(TxPrintScale Value) = 0;
  virtual HRESULT get_Scaled(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_Scaled(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_Active(VARIANT_BOOL* Value) = 0;
  virtual HRESULT get_DropTarget(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_DropTarget(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_HelpFile(BSTR* Value) = 0;
  virtual HRESULT set_HelpFile(BSTR Value) = 0;
  virtual HRESULT get_DoubleBuffered(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_DoubleBuffered(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_VisibleDockClientCount(std::int32_t* Value) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* Value) = 0;
  virtual HRESULT set_Enabled(VARIANT_BOOL Value) = 0;
  virtual HRESULT get_Cursor(std::int16_t* Value) = 0;
  virtual HRESULT set_Cursor(std::int16_t Value) = 0;
  virtual HRESULT Load() = 0;
  virtual HRESULT Save() = 0;
  virtual HRESULT Params(BSTR Url, BSTR Content, BSTR Auth) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT Options(BSTR Options) = 0;

 protected:
  ~IPellora() = default;
};

// Dispatch ids.
inline constexpr DISPID DISPID_Visible = 1, DISPID_AutoScroll = 2, DISPID_AutoSize = 3,
                        DISPID_AxBorderStyle = 4, DISPID_Caption = -518, DISPID_Color = -501,
                        DISPID_Font = -512, DISPID_KeyPreview = 5, DISPID_PixelsPerInch = 6,
                        DISPID_PrintScale = 7, DISPID_Scaled = 8, DISPID_Active = 9,
                        DISPID_DropTarget = 10, DISPID_HelpFile = 11, DISPID_DoubleBuffered = 12,
                        DISPID_VisibleDockClientCount = 13, DISPID_Enabled = -514,
                        DISPID_Cursor = 14, DISPID_Load = 15, DISPID_Save = 16, DISPID_Params = 17,
                        DISPID_Close = 18, DISPID_Options = 19;

inline constexpr DISPID DISPID_OnActivate = 1, DISPID_OnClick = 2, DISPID_OnCreate = 3,
                        DISPID_OnDblClick = 5, DISPID_OnDestroy = 6, DISPID_OnDeactivate = 7,
                        DISPID_OnKeyPress = 11, DISPID_OnPaint = 16;

// ---- type information --------------------------------------------------------

enum Accessor : unsigned { kGet = 1, kPut = 2, kPutRef = 4, kMethod = 8 };

// Automation type of a member's value or parameter.
enum class ValueType { Void, Bool, Int16, Int32, String, Color, Font, BorderStyle, PrintScale };

struct ParamInfo {
  std::u16string_view name;
  ValueType type;
  bool byRef = false;
};

struct MemberInfo {
  std::u16string_view name;
  DISPID dispid;
  unsigned accessors;  // Accessor bits
  ValueType type;      // property type; Void for methods
  bool hidden;
  std::vector<ParamInfo> params;  // methods and events only
};

enum class TypeKind { Interface, DispInterface, CoClass, Enum };

struct EnumValue {
  std::u16string_view name;
  std::int32_t value;
};

struct TypeDescription {
  TypeKind kind;
  std::u16string_view name;
  const GUID* guid;
  std::u16string_view docString;
  std::vector<MemberInfo> members;  // interfaces and dispinterfaces
  std::vector<EnumValue> values;    // enumerations
};

struct TypeLibraryDescription {
  std::u16string_view name;  // "Pellora"
  const GUID* libid;
  unsigned short majorVersion, minorVersion;
  std::uint32_t lcid;
  std::u16string_view helpString;
  std::vector<TypeDescription> types;  // in library order
};

const TypeLibraryDescription& pelloraTypeLibrary();
const TypeDescription& ipelloraType();
const TypeDescription& ipelloraEventsType();

// Name lookup as GetIDsOfNames does it: case-insensitive over ASCII.
const MemberInfo* findMember(const TypeDescription& type, std::u16string_view name);
const MemberInfo* findMember(const TypeDescription& type, DISPID dispid);

}  // namespace pellora
