#include "control/window_interface.h"

#include <atomic>

#include "control/module_state.h"

namespace pellora {

using namespace com;

namespace {

WindowProvider& provider() {
  static WindowProvider instance;
  return instance;
}

class WindowTearOff final : public IPelloraWindow {
 public:
  WindowTearOff(IUnknown& control, ui::Form& container,
                std::weak_ptr<const FormNotifications> notifications)
      : control_(control), container_(container), notifications_(std::move(notifications)) {
    control_.AddRef();
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IPelloraWindow) {
      *ppv = static_cast<IPelloraWindow*>(this);
      AddRef();
      return S_OK;
    }
    // Identity and every other interface belong to the control.
    return control_.QueryInterface(riid, ppv);
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetWindow(void** widget) override {
    if (!widget) return E_POINTER;
    *widget = nullptr;
    if (!provider()) return E_NOTIMPL;
    try {
      *widget = provider()(container_, notifications_);
    } catch (...) {
      return E_FAIL;
    }
    return *widget ? S_OK : E_FAIL;
  }

 private:
  ~WindowTearOff() { control_.Release(); }

  std::atomic<ULONG> refs_{1};
  ObjectCount count_;
  IUnknown& control_;
  ui::Form& container_;
  std::weak_ptr<const FormNotifications> notifications_;
};

}  // namespace

void setWindowProvider(WindowProvider value) { provider() = std::move(value); }

IPelloraWindow* createWindowTearOff(IUnknown& control, ui::Form& container,
                                    std::weak_ptr<const FormNotifications> notifications) {
  return new WindowTearOff(control, container, std::move(notifications));
}

}  // namespace pellora
