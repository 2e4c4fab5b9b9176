// Covered by tests/control/ax_edit_test.cpp and tests/app/module_test.cpp.
#include "control/ax_impl.h"

#include <cstring>
#include <stdexcept>

#include "control/application.h"
#include "control/ax_impl-private.h"
#include "control/window_interface.h"
#include "exchange/editing_context.h"
#include "settings/lang.h"

namespace pellora {

using namespace ax_detail;  // NOLINT: helpers of this class only

TaxEdit::TaxEdit()
    : form_("axEdit"),
      eventsPoint_(*this, DIID_IPelloraEvents, 1,
                   [this](IUnknown* sink) { eventSink_ = static_cast<IDispatch*>(sink); }),
      propertyNotifyPoint_(*this, IID_IPropertyNotifySink, SIZE_MAX) {
  form_.setCaption("Pellora");
  form_.setBounds({0, 0, 444, 198});
  form_.setColor(ui::clBtnFace);
  form_.setFont({"MS Sans Serif", -11});
  ActiveFormCreate();
  // Connected once the form exists, so OnCreate never reaches the host.
  notifications_ = std::make_shared<FormNotifications>();
  notifications_->activate = [this] { FormActivate(); };
  notifications_->click = [this] { FormClick(); };
  notifications_->dblClick = [this] { FormDblClick(); };
  notifications_->deactivate = [this] { FormDeactivate(); };
  notifications_->paint = [this] { FormPaint(); };
  notifications_->keyPress = [this](char& key) { FormKeyPress(key); };
  status_->contentName = [this] {
    return takenOverName_ ? *takenOverName_ : editingContext().ContentName;
  };
  status_->language = [] { return LanguageCode(); };
  status_->flags = [this] { return documentFlags(); };
}

TaxEdit::~TaxEdit() {
  if (application().owner == this) application().owner = nullptr;
  notifications_.reset();
  eventsPoint_.disconnectAll();
  propertyNotifyPoint_.disconnectAll();
}

void TaxEdit::ActiveFormCreate() {
  if (FAILED(set_AxBorderStyle(afbNone))) {
    throw std::runtime_error("Could not remove the border of the control");
  }
  EditorForms& forms = application();
  // One live editor per process: a second control takes the editor over from
  // the first, which behaves as closed from then on; but not from under a
  // load or save that is still running.
  if (forms.requestRunning()) {
    throw std::runtime_error("The editor of another control is still loading or saving.");
  }
  if (forms.editorExists()) {
    if (forms.owner) forms.owner->editorTakenOver();
    forms.owner = this;
    Close();
  }
  forms.owner = this;

  forms.MainForm = std::make_unique<TMainForm>();
  forms.MainForm->setAlign(ui::Align::Client);
  forms.MainForm->setVisible(true);
  forms.TableForm = std::make_unique<TTableForm>();
  forms.UploadForm = std::make_unique<TUploadForm>();
  forms.AboutForm = std::make_unique<TAboutForm>();
  // Last: reading the stored settings may turn the other forms German.
  forms.OptionsForm =
      std::make_unique<TOptionsForm>(settings::RegistryStore::forProcess(),
                                     TOptionsForm::OtherForms{*forms.MainForm, *forms.TableForm,
                                                              *forms.UploadForm, *forms.AboutForm});
  forms.MainForm->dialogs = {forms.TableForm.get(), forms.UploadForm.get(), forms.AboutForm.get(),
                             forms.OptionsForm.get()};
  forms.MainForm->onDocumentStateChanged = [status = std::weak_ptr<DocumentStatus>(status_)] {
    if (const auto held = status.lock()) held->changed();
  };
}

bool TaxEdit::ownsEditor() const {
  return application().owner == this && application().editorExists();
}

void TaxEdit::editorTakenOver() {
  takenOverName_ = editingContext().ContentName;
  closedBySave_ = false;
  application().owner = nullptr;
  status_->changed();
}

std::int32_t TaxEdit::documentFlags() const {
  EditorForms& forms = application();
  if (!ownsEditor()) return closedBySave_ ? pdfSaved : 0;
  return pdfEditorOpen | (forms.MainForm->HasUnsavedEdits() ? pdfModified : 0) |
         (forms.MainForm->LoadFailed() ? pdfLoadFailed : 0);
}

// ---- IUnknown ------------------------------------------------------------------

HRESULT TaxEdit::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IPellora) {
    *ppv = static_cast<IPellora*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *ppv = static_cast<ISupportErrorInfo*>(this);
  } else if (riid == IID_IPelloraWindow || riid == IID_IPelloraWindow2) {
    // A tear-off with its own reference count; it holds one on the control.
    *ppv = createWindowTearOff(*static_cast<IPellora*>(this), form_, notifications_, status_);
    return S_OK;
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TaxEdit::AddRef() { return ++refs_; }

ULONG TaxEdit::Release() {
  const ULONG left = --refs_;
  if (left == 0) {
    // The form's destruction notification, while the sink is still
    // connected. The host may call back into the control from it: a
    // reference held meanwhile keeps this from running twice.
    refs_ = 1;
    FormDestroy();
    delete this;
  }
  return left;
}

// ---- the control's own members ---------------------------------------------------

HRESULT TaxEdit::Load() {
  HRESULT result = guarded([this] {
    EditorForms& forms = application();
    if (!ownsEditor() || forms.closePending) throw std::runtime_error(kEditorClosed);
    forms.MainForm->btnLoad.click();
  });
  if (ownsEditor() && application().closePending && !application().requestRunning()) Close();
  return result;
}

HRESULT TaxEdit::Save() {
  HRESULT result = guarded([this] {
    EditorForms& forms = application();
    if (!ownsEditor() || forms.closePending) throw std::runtime_error(kEditorClosed);
    forms.MainForm->btnSave.click();
  });
  if (FAILED(result)) {
    if (ownsEditor() && application().closePending && !application().requestRunning()) Close();
    return result;
  }
  // A Close that came while the save ran is carried out now; the host
  // still learns whether the server stored the item.
  if (editingContext().SaveSucceeded ||
      (application().closePending && !application().requestRunning())) {
    result = closeEditor(editingContext().SaveSucceeded);
  }
  return result;
}

HRESULT TaxEdit::Params(BSTR Url, BSTR Content, BSTR Auth) {
  return guarded([&] {
    EditingContext& context = editingContext();
    context.BaseUrl = narrowText(Url);
    context.ContentName = narrowText(Content);
    context.AuthToken = narrowText(Auth);
  });
}

HRESULT TaxEdit::Close() { return closeEditor(false); }

HRESULT TaxEdit::closeEditor(bool afterSave) {
  EditorForms& forms = application();
  // Taken over by a later control: that one's editor is not ours to close.
  if (forms.owner != this && forms.owner != nullptr) return S_OK;
  if (forms.requestRunning()) {
    // A request the server has let stall is given up instead: it fails with
    // its message, and the editor stays with its document for a later save
    // rather than waiting for ever or being closed without it.
    if (forms.MainForm->IdHTTP.CancelIfQuiet()) {
      forms.closePending = false;
      return S_OK;
    }
    // Freeing the editor now would pull it from under the running request.
    forms.closePending = true;
    return S_OK;
  }
  forms.closePending = false;
  if (forms.MainForm) forms.MainForm->FormClosing();
  // Freeing swallows failures; a form that cannot be freed is simply gone.
  auto release = [](auto& form) {
    try {
      form.reset();
    } catch (...) {
    }
  };
  release(forms.AboutForm);
  release(forms.UploadForm);
  release(forms.TableForm);
  release(forms.OptionsForm);
  release(forms.MainForm);
  closedBySave_ = afterSave;
  status_->changed();
  return S_OK;
}

HRESULT TaxEdit::Options(BSTR Options) {
  return guarded([&] { editingContext().EditOptions = narrowText(Options); });
}

// ---- connection points -------------------------------------------------------------

HRESULT TaxEdit::EnumConnectionPoints(void** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;
}

HRESULT TaxEdit::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  ConnectionPoint* point = riid == DIID_IPelloraEvents       ? &eventsPoint_
                           : riid == IID_IPropertyNotifySink ? &propertyNotifyPoint_
                                                             : nullptr;
  *ppCP = point;
  if (!point) return CONNECT_E_NOCONNECTION;
  point->AddRef();
  return S_OK;
}

HRESULT TaxEdit::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID_IPellora ? S_OK : S_FALSE;
}

// ---- event forwarding ---------------------------------------------------------------

void TaxEdit::raiseEvent(DISPID id, DISPPARAMS& params) {
  if (!eventSink_) return;
  // The host may disconnect its sink or release the control from inside
  // the event: both stay alive until the call has returned.
  IDispatch* sink = eventSink_;
  sink->AddRef();
  AddRef();
  sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  sink->Release();
  Release();  // may be the last reference: no member access after this
}

namespace {
DISPPARAMS noArguments() { return {nullptr, nullptr, 0, 0}; }
}  // namespace

void TaxEdit::FormActivate() {
  props_.Active = true;
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnActivate, none);
}

void TaxEdit::FormDeactivate() {
  props_.Active = false;
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnDeactivate, none);
}

void TaxEdit::FormClick() {
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnClick, none);
}

void TaxEdit::FormCreate() {
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnCreate, none);
}

void TaxEdit::FormDblClick() {
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnDblClick, none);
}

void TaxEdit::FormDestroy() {
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnDestroy, none);
}

void TaxEdit::FormPaint() {
  DISPPARAMS none = noArguments();
  raiseEvent(DISPID_OnPaint, none);
}

void TaxEdit::FormKeyPress(char& key) {
  std::int16_t code = static_cast<std::uint8_t>(key);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I2 | VT_BYREF;
  arg.piVal = &code;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  raiseEvent(DISPID_OnKeyPress, params);
  key = static_cast<char>(code & 0xFF);
}

}  // namespace pellora
