#include "control/window_interface.h"

#include <atomic>

#include "control/com/runtime.h"
#include "control/module_state.h"
#include "control/wide_text.h"

namespace pellora {

using namespace com;

namespace {

WindowProvider& provider() {
  static WindowProvider instance;
  return instance;
}

class WindowTearOff final : public IPelloraWindow2 {
 public:
  WindowTearOff(IUnknown& control, ui::Form& container,
                std::weak_ptr<const FormNotifications> notifications,
                std::weak_ptr<DocumentStatus> status)
      : control_(control),
        container_(container),
        notifications_(std::move(notifications)),
        status_(std::move(status)) {
    control_.AddRef();
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IPelloraWindow || riid == IID_IPelloraWindow2) {
      *ppv = static_cast<IPelloraWindow2*>(this);
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

  HRESULT GetContentName(BSTR* name) override {
    return text(name, [](DocumentStatus& status) { return status.contentName(); });
  }

  HRESULT GetLanguage(BSTR* code) override {
    return text(code, [](DocumentStatus& status) { return status.language(); });
  }

  HRESULT GetDocumentState(std::int32_t* flags) override {
    if (!flags) return E_POINTER;
    *flags = 0;
    return withStatus([flags](DocumentStatus& status) { *flags = status.flags(); });
  }

  HRESULT SetStateHandler(void (*changed)(void* context), void* context) override {
    return withStatus([changed, context](DocumentStatus& status) {
      status.handler = changed;
      status.handlerContext = changed ? context : nullptr;
    });
  }

 private:
  ~WindowTearOff() { control_.Release(); }

  // Runs `use` on the editor's status; E_NOTIMPL once the editor is gone,
  // E_FAIL when `use` throws.
  template <typename F>
  HRESULT withStatus(F use) {
    const std::shared_ptr<DocumentStatus> status = status_.lock();
    if (!status) return E_NOTIMPL;
    try {
      use(*status);
    } catch (...) {
      return E_FAIL;
    }
    return S_OK;
  }

  template <typename F>
  HRESULT text(BSTR* out, F read) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return withStatus(
        [out, &read](DocumentStatus& status) { *out = allocBstr(widenText(read(status))); });
  }

  std::atomic<ULONG> refs_{1};
  ObjectCount count_;
  IUnknown& control_;
  ui::Form& container_;
  std::weak_ptr<const FormNotifications> notifications_;
  std::weak_ptr<DocumentStatus> status_;
};

}  // namespace

void setWindowProvider(WindowProvider value) { provider() = std::move(value); }

IPelloraWindow2* createWindowTearOff(IUnknown& control, ui::Form& container,
                                     std::weak_ptr<const FormNotifications> notifications,
                                     std::weak_ptr<DocumentStatus> status) {
  return new WindowTearOff(control, container, std::move(notifications), std::move(status));
}

}  // namespace pellora
