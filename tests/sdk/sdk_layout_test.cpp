// The public SDK (include/pellora, its automation part generated from the
// IDL) against the module's own interfaces: every slot at the same vtable
// index in the C++ and the C view, the same GUIDs, dispatch ids and enum
// values, and a real control driven through the C view.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>

#include "control/class_factory.h"
#include "control/pellora_tlb.h"
#include "control/window_interface.h"
#include "support/fake_platform.h"
// The SDK after the module's headers: its names live at global scope.
#include "pellora/pellora.h"
#include "sdk/sdk_slots.h"

namespace {

// A virtual member's pointer holds 1 + its byte offset in the vtable on
// this system's C++ ABI.
template <typename Member>
std::size_t slotOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t));
  std::ptrdiff_t raw = 0;
  std::memcpy(&raw, &member, sizeof raw);
  EXPECT_EQ(raw % static_cast<std::ptrdiff_t>(sizeof(void*)), 1) << "not a virtual member";
  return static_cast<std::size_t>(raw - 1) / sizeof(void*);
}

struct SlotRow {
  const char* name;
  std::size_t sdk, module;
};

#define CPP_ROW(sdk, module) {#sdk, slotOf(&::IPellora::sdk), slotOf(&pellora::IPellora::module)},
const SlotRow kIPelloraSlots[] = {IPELLORA_SLOTS(CPP_ROW)};
#define CPP_WINDOW_ROW(sdk, module) \
  {#sdk, slotOf(&::IPelloraWindow2::sdk), slotOf(&pellora::IPelloraWindow2::module)},
const SlotRow kWindow2Slots[] = {IPELLORAWINDOW2_SLOTS(CPP_WINDOW_ROW)};

void expectSameSlots(const SlotRow* rows, std::size_t count, const SdkSlot* cSlots,
                     std::size_t cCount, std::size_t vtblSlots, std::size_t firstSlot) {
  ASSERT_EQ(count, cCount);
  for (std::size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_STREQ(cSlots[i].name, rows[i].name);
    EXPECT_EQ(rows[i].sdk, firstSlot + i) << "in order, none missing";
    EXPECT_EQ(rows[i].module, rows[i].sdk);
    EXPECT_EQ(cSlots[i].slot, rows[i].sdk);
  }
  EXPECT_EQ(vtblSlots, firstSlot + count) << "the C table holds no slot the module lacks";
}

TEST(SdkLayout, InterfacesHaveTheModulesSlots) {
  constexpr std::size_t kDispatchSlots = 7, kUnknownSlots = 3;
  expectSameSlots(kIPelloraSlots, std::size(kIPelloraSlots), sdkIPelloraCSlots,
                  sdkIPelloraCSlotCount, sdkIPelloraVtblSlots, kDispatchSlots);
  expectSameSlots(kWindow2Slots, std::size(kWindow2Slots), sdkIPelloraWindow2CSlots,
                  sdkIPelloraWindow2CSlotCount, sdkIPelloraWindow2VtblSlots, kUnknownSlots);
  EXPECT_EQ(slotOf(&::IDispatch::Invoke), slotOf(&pellora::com::IDispatch::Invoke));
  EXPECT_EQ(slotOf(&::IClassFactory::CreateInstance),
            slotOf(&pellora::com::IClassFactory::CreateInstance));
  EXPECT_EQ(slotOf(&::IConnectionPoint::Advise), slotOf(&pellora::com::IConnectionPoint::Advise));
  EXPECT_EQ(slotOf(&::IConnectionPointContainer::FindConnectionPoint),
            slotOf(&pellora::com::IConnectionPointContainer::FindConnectionPoint));
}

TEST(SdkLayout, GuidsIdsAndValuesAreTheModules) {
  const std::pair<const ::GUID&, const pellora::com::GUID&> guids[] = {
      {LIBID_Pellora, pellora::LIBID_Pellora},
      {IID_IPellora, pellora::IID_IPellora},
      {DIID_IPelloraEvents, pellora::DIID_IPelloraEvents},
      {CLSID_axEdit, pellora::CLSID_axEdit},
      {GUID_TxActiveFormBorderStyle, pellora::GUID_TxActiveFormBorderStyle},
      {GUID_TxPrintScale, pellora::GUID_TxPrintScale},
      {GUID_TxMouseButton, pellora::GUID_TxMouseButton},
      {IID_IPelloraWindow, pellora::IID_IPelloraWindow},
      {IID_IPelloraWindow2, pellora::IID_IPelloraWindow2},
      {IID_IUnknown, pellora::com::IID_IUnknown},
      {IID_IDispatch, pellora::com::IID_IDispatch},
      {IID_IClassFactory, pellora::com::IID_IClassFactory},
      {IID_IConnectionPoint, pellora::com::IID_IConnectionPoint},
      {IID_IConnectionPointContainer, pellora::com::IID_IConnectionPointContainer},
  };
  for (const auto& [sdk, module] : guids) {
    EXPECT_EQ(std::memcmp(&sdk, &module, sizeof sdk), 0) << pellora::com::guidToString(module);
  }

  // Every member the module names, with the id the SDK gives it.
  const std::pair<const char16_t*, int> ids[] = {
      {u"Visible", DISPID_IPellora_Visible},
      {u"AutoScroll", DISPID_IPellora_AutoScroll},
      {u"AutoSize", DISPID_IPellora_AutoSize},
      {u"AxBorderStyle", DISPID_IPellora_AxBorderStyle},
      {u"Caption", DISPID_IPellora_Caption},
      {u"Color", DISPID_IPellora_Color},
      {u"Font", DISPID_IPellora_Font},
      {u"KeyPreview", DISPID_IPellora_KeyPreview},
      {u"PixelsPerInch", DISPID_IPellora_PixelsPerInch},
      {u"PrintScale", DISPID_IPellora_PrintScale},
      {u"Scaled", DISPID_IPellora_Scaled},
      {u"Active", DISPID_IPellora_Active},
      {u"DropTarget", DISPID_IPellora_DropTarget},
      {u"HelpFile", DISPID_IPellora_HelpFile},
      {u"DoubleBuffered", DISPID_IPellora_DoubleBuffered},
      {u"VisibleDockClientCount", DISPID_IPellora_VisibleDockClientCount},
      {u"Enabled", DISPID_IPellora_Enabled},
      {u"Cursor", DISPID_IPellora_Cursor},
      {u"Load", DISPID_IPellora_Load},
      {u"Save", DISPID_IPellora_Save},
      {u"Params", DISPID_IPellora_Params},
      {u"Close", DISPID_IPellora_Close},
      {u"Options", DISPID_IPellora_Options},
  };
  const std::pair<const char16_t*, int> events[] = {
      {u"OnActivate", DISPID_IPelloraEvents_OnActivate},
      {u"OnClick", DISPID_IPelloraEvents_OnClick},
      {u"OnCreate", DISPID_IPelloraEvents_OnCreate},
      {u"OnDblClick", DISPID_IPelloraEvents_OnDblClick},
      {u"OnDestroy", DISPID_IPelloraEvents_OnDestroy},
      {u"OnDeactivate", DISPID_IPelloraEvents_OnDeactivate},
      {u"OnKeyPress", DISPID_IPelloraEvents_OnKeyPress},
      {u"OnPaint", DISPID_IPelloraEvents_OnPaint},
  };
  using Ids = std::span<const std::pair<const char16_t*, int>>;
  for (const auto& [type, table] : {std::pair{&pellora::ipelloraType(), Ids(ids)},
                                    std::pair{&pellora::ipelloraEventsType(), Ids(events)}}) {
    EXPECT_EQ(table.size(), type->members.size()) << "every member has its id in the SDK";
    for (const auto& [name, id] : table) {
      const auto* member = pellora::findMember(*type, name);
      ASSERT_NE(member, nullptr);
      EXPECT_EQ(member->dispid, id);
    }
  }

  const std::pair<int, int> values[] = {
      {afbNone, pellora::afbNone},
      {afbRaised, pellora::afbRaised},
      {poPrintToFit, pellora::poPrintToFit},
      {mbMiddle, pellora::mbMiddle},
      {pdfEditorOpen, pellora::pdfEditorOpen},
      {pdfModified, pellora::pdfModified},
      {pdfSaved, pellora::pdfSaved},
      {pdfLoadFailed, pellora::pdfLoadFailed},
  };
  for (const auto& [sdk, module] : values) EXPECT_EQ(sdk, module);
}

TEST(SdkLayout, HostInCDrivesARealControl) {
  pellora::test::ScopedFakePlatform fake;
  pellora::com::IClassFactory* factory = nullptr;
  ASSERT_EQ(pellora::getClassObject(pellora::CLSID_axEdit, pellora::com::IID_IClassFactory,
                                    reinterpret_cast<void**>(&factory)),
            S_OK);
  void* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, pellora::IID_IPellora, &control), S_OK);
  factory->Release();

  const std::u16string content = u"Gr\u00FC\u00DFe 7", caption = u"From C";
  BSTR read = sdkDriveFromC(control, content.c_str(), caption.c_str());
  ASSERT_NE(read, nullptr) << "a call through the C view failed";
  EXPECT_EQ(std::u16string(read, PelloraSysStringLen(read)), content + u"|" + caption);
  PelloraSysFreeString(read);
  static_cast<pellora::IPellora*>(control)->Release();
}

}  // namespace
