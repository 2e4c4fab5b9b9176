#include "control/pellora_tlb.h"

namespace pellora {

const GUID LIBID_Pellora{
    0xC619D43B, 0x7393, 0x411C, {0x94, 0x7F, 0xED, 0x62, 0xDB, 0xB7, 0x5A, 0xA0}};
const IID IID_IPellora{
    0xEFBCCB38, 0x1312, 0x4353, {0x88, 0x13, 0x2B, 0xA1, 0xF7, 0x1F, 0x8D, 0xFF}};
const IID DIID_IPelloraEvents{
    0x22F0C87A, 0x580F, 0x4D78, {0x97, 0xA7, 0x6D, 0x84, 0x96, 0x8F, 0xFD, 0x92}};
const CLSID CLSID_axEdit{
    0xCCD2FBFF, 0x41DA, 0x4E94, {0x9F, 0x66, 0x84, 0x7D, 0xD4, 0x4A, 0x6B, 0x58}};
const GUID GUID_TxActiveFormBorderStyle{
    0x8C347B3C, 0xAA48, 0x4897, {0x96, 0x05, 0xC2, 0x06, 0xD6, 0xE4, 0x88, 0x5C}};
const GUID GUID_TxPrintScale{
    0x0456BEE4, 0x3062, 0x48E1, {0x9C, 0xD4, 0x3D, 0x7C, 0xB2, 0xC7, 0xC5, 0x1E}};
const GUID GUID_TxMouseButton{
    0x570DE421, 0x5728, 0x40BE, {0xA8, 0x20, 0xDF, 0xD6, 0x4F, 0xA6, 0xB5, 0x65}};
const GUID LIBID_stdole{0x00020430, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

using VT = ValueType;

TypeLibraryDescription buildLibrary() {
  TypeDescription ipellora{
      TypeKind::Interface,
      u"IPellora",
      &IID_IPellora,
      u"Dispatch-Schnittstelle f\u00FCr Pellora-Element",
      {
          {u"Visible", DISPID_Visible, kGet | kPut, VT::Bool, true, {}},
          {u"AutoScroll", DISPID_AutoScroll, kGet | kPut, VT::Bool, false, {}},
          {u"AutoSize", DISPID_AutoSize, kGet | kPut, VT::Bool, false, {}},
          {u"AxBorderStyle", DISPID_AxBorderStyle, kGet | kPut, VT::BorderStyle, false, {}},
          {u"Caption", DISPID_Caption, kGet | kPut, VT::String, false, {}},
          {u"Color", DISPID_Color, kGet | kPut, VT::Color, false, {}},
          {u"Font", DISPID_Font, kGet | kPut | kPutRef, VT::Font, false, {}},
          {u"KeyPreview", DISPID_KeyPreview, kGet | kPut, VT::Bool, false, {}},
          {u"PixelsPerInch", DISPID_PixelsPerInch, kGet | kPut, VT::Int32, false, {}},
          {u"PrintScale", DISPID_PrintScale, kGet | kPut, VT::PrintScale, false, {}},
          {u"Scaled", DISPID_Scaled, kGet | kPut, VT::Bool, false, {}},
          {u"Active", DISPID_Active, kGet, VT::Bool, true, {}},
          {u"DropTarget", DISPID_DropTarget, kGet | kPut, VT::Bool, true, {}},
          {u"HelpFile", DISPID_HelpFile, kGet | kPut, VT::String, true, {}},
          {u"DoubleBuffered", DISPID_DoubleBuffered, kGet | kPut, VT::Bool, true, {}},
          {u"VisibleDockClientCount", DISPID_VisibleDockClientCount, kGet, VT::Int32, true, {}},
          {u"Enabled", DISPID_Enabled, kGet | kPut, VT::Bool, true, {}},
          {u"Cursor", DISPID_Cursor, kGet | kPut, VT::Int16, false, {}},
          {u"Load", DISPID_Load, kMethod, VT::Void, false, {}},
          {u"Save", DISPID_Save, kMethod, VT::Void, false, {}},
          {u"Params",
           DISPID_Params,
           kMethod,
           VT::Void,
           false,
           {{u"Url", VT::String}, {u"Content", VT::String}, {u"Auth", VT::String}}},
          {u"Close", DISPID_Close, kMethod, VT::Void, false, {}},
          {u"Options", DISPID_Options, kMethod, VT::Void, false, {{u"Options", VT::String}}},
      },
      {}};
  TypeDescription events{
      TypeKind::DispInterface,
      u"IPelloraEvents",
      &DIID_IPelloraEvents,
      u"Ereignis-Schnittstelle f\u00FCr Pellora-Element",
      {
          {u"OnActivate", DISPID_OnActivate, kMethod, VT::Void, false, {}},
          {u"OnClick", DISPID_OnClick, kMethod, VT::Void, false, {}},
          {u"OnCreate", DISPID_OnCreate, kMethod, VT::Void, false, {}},
          {u"OnDblClick", DISPID_OnDblClick, kMethod, VT::Void, false, {}},
          {u"OnDestroy", DISPID_OnDestroy, kMethod, VT::Void, false, {}},
          {u"OnDeactivate", DISPID_OnDeactivate, kMethod, VT::Void, false, {}},
          {u"OnKeyPress", DISPID_OnKeyPress, kMethod, VT::Void, false, {{u"Key", VT::Int16, true}}},
          {u"OnPaint", DISPID_OnPaint, kMethod, VT::Void, false, {}},
      },
      {}};
  TypeDescription coclass{TypeKind::CoClass, u"axEdit", &CLSID_axEdit, u"Pellora Class", {}, {}};
  TypeDescription borderStyle{
      TypeKind::Enum,
      u"TxActiveFormBorderStyle",
      &GUID_TxActiveFormBorderStyle,
      u"",
      {},
      {{u"afbNone", 0}, {u"afbSingle", 1}, {u"afbSunken", 2}, {u"afbRaised", 3}}};
  TypeDescription printScale{TypeKind::Enum,
                             u"TxPrintScale",
                             &GUID_TxPrintScale,
                             u"",
                             {},
                             {{u"poNone", 0}, {u"poProportional", 1}, {u"poPrintToFit", 2}}};
  TypeDescription mouseButton{TypeKind::Enum,
                              u"TxMouseButton",
                              &GUID_TxMouseButton,
                              u"",
                              {},
                              {{u"mbLeft", 0}, {u"mbRight", 1}, {u"mbMiddle", 2}}};
  return {u"Pellora",
          &LIBID_Pellora,
          2,
          0,
          0x409,
          u"Pellora Control 2.0",
          {ipellora, events, coclass, borderStyle, printScale, mouseButton}};
}

char16_t fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

const TypeLibraryDescription& pelloraTypeLibrary() {
  static const TypeLibraryDescription library = buildLibrary();
  return library;
}

const TypeDescription& ipelloraType() { return pelloraTypeLibrary().types[0]; }
const TypeDescription& ipelloraEventsType() { return pelloraTypeLibrary().types[1]; }

const MemberInfo* findMember(const TypeDescription& type, std::u16string_view name) {
  for (const auto& member : type.members) {
    if (equalsIgnoringCase(member.name, name)) return &member;
  }
  return nullptr;
}

const MemberInfo* findMember(const TypeDescription& type, DISPID dispid) {
  for (const auto& member : type.members) {
    if (member.dispid == dispid) return &member;
  }
  return nullptr;
}

}  // namespace pellora
