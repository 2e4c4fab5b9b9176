// The control as the system's COM sees it: an object that implements the
// widl-generated IPellora on top of the control `TaxEdit`, with IDispatch
// answered by oleaut32 from the module's type library and the events
// connection point of IPelloraEvents.
#pragma once

#include <windows.h>

// Outside namespace pellora, whose COM vocabulary would hide the system's.

namespace pellora_win {

// The module's HINSTANCE, set by DllMain; the type library is read from it.
void setModuleInstance(HINSTANCE instance);
HINSTANCE moduleInstance();

// Creates a control and answers `iid` on it.
HRESULT createAxEdit(REFIID iid, void** object);

}  // namespace pellora_win
