/* The SDK compiled as C: the vtable structs' slots, and a control driven
 * through them. */
#include "pellora/pellora.h"
#include "sdk/sdk_slots.h"

#define C_ROW(sdk, module) {#sdk, offsetof(IPelloraVtbl, sdk) / sizeof(void*)},
const SdkSlot sdkIPelloraCSlots[] = {IPELLORA_SLOTS(C_ROW)};
const size_t sdkIPelloraCSlotCount = sizeof sdkIPelloraCSlots / sizeof sdkIPelloraCSlots[0];
const size_t sdkIPelloraVtblSlots = sizeof(IPelloraVtbl) / sizeof(void*);

#define C_WINDOW_ROW(sdk, module) {#sdk, offsetof(IPelloraWindow2Vtbl, sdk) / sizeof(void*)},
const SdkSlot sdkIPelloraWindow2CSlots[] = {IPELLORAWINDOW2_SLOTS(C_WINDOW_ROW)};
const size_t sdkIPelloraWindow2CSlotCount =
    sizeof sdkIPelloraWindow2CSlots / sizeof sdkIPelloraWindow2CSlots[0];
const size_t sdkIPelloraWindow2VtblSlots = sizeof(IPelloraWindow2Vtbl) / sizeof(void*);

static BSTR joined(BSTR name, BSTR caption) {
  const uint32_t a = PelloraSysStringLen(name), b = PelloraSysStringLen(caption);
  BSTR both = PelloraSysAllocStringLen(NULL, a + 1 + b);
  for (uint32_t i = 0; i < a; ++i) both[i] = name[i];
  both[a] = '|';
  for (uint32_t i = 0; i < b; ++i) both[a + 1 + i] = caption[i];
  return both;
}

BSTR sdkDriveFromC(void* object, const OLECHAR* content, const OLECHAR* caption) {
  IPellora* control = (IPellora*)object;
  BSTR url = PelloraSysAllocString(u"http://127.0.0.1:9/tessaron");
  BSTR item = PelloraSysAllocString(content);
  BSTR token = PelloraSysAllocString(u"token");
  BSTR newCaption = PelloraSysAllocString(caption);
  BSTR name = NULL, captionRead = NULL, result = NULL;
  IPelloraWindow2* window = NULL;
  if (SUCCEEDED(IPellora_Params(control, url, item, token)) &&
      SUCCEEDED(IPellora_QueryInterface(control, &IID_IPelloraWindow2, (void**)&window)) &&
      SUCCEEDED(window->lpVtbl->GetContentName(window, &name)) &&
      SUCCEEDED(IPellora_put_Caption(control, newCaption)) &&
      SUCCEEDED(IPellora_get_Caption(control, &captionRead)))
    result = joined(name, captionRead);
  if (window) window->lpVtbl->Release(window);
  PelloraSysFreeString(url);
  PelloraSysFreeString(item);
  PelloraSysFreeString(token);
  PelloraSysFreeString(newCaption);
  PelloraSysFreeString(name);
  PelloraSysFreeString(captionRead);
  return result;
}
