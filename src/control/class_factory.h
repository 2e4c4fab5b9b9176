// The one class factory of the module: creates `axEdit` controls. It lives
// as long as the module; its reference count only tracks server locks'
// partner, the module's lock count.
#pragma once

#include "control/com/unknown.h"

namespace pellora {

// The factory, created at the first call.
com::IClassFactory& axEditFactory();

// What DllGetClassObject answers.
com::HRESULT getClassObject(const com::CLSID& clsid, const com::IID& iid, void** ppv);
// S_OK when no object is alive and no lock is held.
com::HRESULT canUnloadNow();

}  // namespace pellora
