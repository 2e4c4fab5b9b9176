/* Pellora SDK: everything a host needs to embed the editor control.
 *
 * The control lives in the module pellora.ocx, an ELF shared object that a
 * host loads with dlopen (pkg-config --variable=module pellora names the
 * installed one; pellora-regsvr records it in the user's settings store).
 * Its four entry points are looked up with dlsym by the names below. The
 * control class is axEdit (CLSID_axEdit); its automation interface IPellora
 * and events IPelloraEvents come from the module's interface description
 * (pellora/automation.h), its desktop interfaces from pellora/window.h.
 *
 * A host:
 *   1. dlopen()s the module and calls DllGetClassObject(CLSID_axEdit,
 *      IID_IClassFactory) for the class factory;
 *   2. creates the control with CreateInstance(NULL, IID_IPellora);
 *   3. asks it for IPelloraWindow and packs the widget GetWindow returns;
 *   4. calls Params(Url, Content, Auth), optionally Options, then Load;
 *      Save stores the item and, once the server acknowledged it, closes
 *      the editor.
 * examples/minimal_host.c does exactly that. */
#ifndef PELLORA_PELLORA_H
#define PELLORA_PELLORA_H

#include "pellora/automation.h"
#include "pellora/com.h"
#include "pellora/window.h"

#define PELLORA_MODULE_FILE "pellora.ocx"

#define PELLORA_ENTRY_GET_CLASS_OBJECT "DllGetClassObject"
#define PELLORA_ENTRY_CAN_UNLOAD_NOW "DllCanUnloadNow"
#define PELLORA_ENTRY_REGISTER_SERVER "DllRegisterServer"
#define PELLORA_ENTRY_UNREGISTER_SERVER "DllUnregisterServer"

typedef HRESULT (*PelloraGetClassObjectFn)(REFCLSID clsid, REFIID iid, void** object);
typedef HRESULT (*PelloraCanUnloadNowFn)(void);
typedef HRESULT (*PelloraRegisterServerFn)(void);
typedef HRESULT (*PelloraUnregisterServerFn)(void);

#endif /* PELLORA_PELLORA_H */
