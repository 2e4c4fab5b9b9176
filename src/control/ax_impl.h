// The control `TaxEdit`: the container form that hosts the editor, with the
// dual automation interface IPellora, the events connection point and the
// standard form properties. Creating one builds the editor form and its
// four dialogs (once per process, see application.h); Close frees them.
//
// COM reference counting owns the object: it starts with one reference held
// by the creator and deletes itself at the last Release.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "control/connection_point.h"
#include "control/module_state.h"
#include "control/pellora_tlb.h"
#include "control/window_interface.h"
#include "ui/form.h"

namespace pellora {

// Properties of the container form that the widget model does not carry.
struct ActiveFormProperties {
  bool AutoScroll = false;
  bool AutoSize = false;
  TxActiveFormBorderStyle AxBorderStyle = afbSingle;
  bool KeyPreview = false;
  std::int32_t PixelsPerInch = 96;
  TxPrintScale PrintScale = poProportional;
  bool Scaled = true;
  bool Active = false;
  bool DropTarget = false;
  std::string HelpFile;
  bool DoubleBuffered = false;
  std::int32_t VisibleDockClientCount = 0;
  std::int16_t Cursor = 0;
};

class TaxEdit final : public IPellora, public IConnectionPointContainer, public ISupportErrorInfo {
 public:
  // Builds the control and runs ActiveFormCreate; throws when that fails.
  TaxEdit();
  TaxEdit(const TaxEdit&) = delete;
  TaxEdit& operator=(const TaxEdit&) = delete;

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDispatch, answered from the type information
  HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) override;
  HRESULT GetTypeInfo(std::uint32_t iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, std::uint32_t cNames, LCID lcid,
                        DISPID* rgDispId) override;
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, std::uint32_t* puArgErr) override;

  // IPellora: standard members
  HRESULT get_Visible(VARIANT_BOOL* Value) override;
  HRESULT set_Visible(VARIANT_BOOL Value) override;
  HRESULT get_AutoScroll(VARIANT_BOOL* Value) override;
  HRESULT set_AutoScroll(VARIANT_BOOL Value) override;
  HRESULT get_AutoSize(VARIANT_BOOL* Value) override;
  HRESULT set_AutoSize(VARIANT_BOOL Value) override;
  HRESULT get_AxBorderStyle(TxActiveFormBorderStyle* Value) override;
  HRESULT set_AxBorderStyle(TxActiveFormBorderStyle Value) override;
  HRESULT get_Caption(BSTR* Value) override;
  HRESULT set_Caption(BSTR Value) override;
  HRESULT get_Color(OLE_COLOR* Value) override;
  HRESULT set_Color(OLE_COLOR Value) override;
  HRESULT get_Font(IFontDisp** Value) override;
  HRESULT set_Font(IFontDisp* Value) override;
  HRESULT _set_Font(IFontDisp** Value) override;
  HRESULT get_KeyPreview(VARIANT_BOOL* Value) override;
  HRESULT set_KeyPreview(VARIANT_BOOL Value) override;
  HRESULT get_PixelsPerInch(std::int32_t* Value) override;
  HRESULT set_PixelsPerInch(std::int32_t Value) override;
  HRESULT get_PrintScale(TxPrintScale* Value) override;
  HRESULT set_PrintScale(TxPrintScale Value) override;
  HRESULT get_Scaled(VARIANT_BOOL* Value) override;
  HRESULT set_Scaled(VARIANT_BOOL Value) override;
  HRESULT get_Active(VARIANT_BOOL* Value) override;
  HRESULT get_DropTarget(VARIANT_BOOL* Value) override;
  HRESULT set_DropTarget(VARIANT_BOOL Value) override;
  HRESULT get_HelpFile(BSTR* Value) override;
  HRESULT set_HelpFile(BSTR Value) override;
  HRESULT get_DoubleBuffered(VARIANT_BOOL* Value) override;
  HRESULT set_DoubleBuffered(VARIANT_BOOL Value) override;
  HRESULT get_VisibleDockClientCount(std::int32_t* Value) override;
  HRESULT get_Enabled(VARIANT_BOOL* Value) override;
  HRESULT set_Enabled(VARIANT_BOOL Value) override;
  HRESULT get_Cursor(std::int16_t* Value) override;
  HRESULT set_Cursor(std::int16_t Value) override;

  // IPellora: the control's own members
  HRESULT Load() override;
  HRESULT Save() override;
  HRESULT Params(BSTR Url, BSTR Content, BSTR Auth) override;
  HRESULT Close() override;
  HRESULT Options(BSTR Options) override;

  // IConnectionPointContainer
  HRESULT EnumConnectionPoints(void** ppEnum) override;
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // ISupportErrorInfo
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

  // The container form (instance "axEdit"); views bind to it.
  ui::Form& form() { return form_; }
  const ActiveFormProperties& properties() const { return props_; }

  // Notifications of the container form, forwarded to the host's sink.
  void FormActivate();
  void FormClick();
  void FormCreate();
  void FormDblClick();
  void FormDeactivate();
  void FormDestroy();
  // The sink may replace the character; the low byte of its answer wins.
  void FormKeyPress(char& key);
  void FormPaint();

 private:
  ~TaxEdit();
  void ActiveFormCreate();
  // Close, telling the host whether an acknowledged save closed it.
  HRESULT closeEditor(bool afterSave);
  // The shared editor is this control's (not taken over by a later one).
  bool ownsEditor() const;
  // A later control took the editor over: this one is closed from now on.
  void editorTakenOver();
  std::int32_t documentFlags() const;
  void raiseEvent(DISPID id, DISPPARAMS& params);

  std::atomic<ULONG> refs_{1};
  ObjectCount count_;
  ui::Form form_;
  ActiveFormProperties props_;
  IDispatch* eventSink_ = nullptr;  // borrowed from the connection point's reference
  ConnectionPoint eventsPoint_;
  ConnectionPoint propertyNotifyPoint_;
  // Shared with the control's windows, which hold it weakly: they fall
  // silent when the control goes.
  std::shared_ptr<FormNotifications> notifications_;
  // What a desktop host reads of the document, and its handler.
  std::shared_ptr<DocumentStatus> status_ = std::make_shared<DocumentStatus>();
  bool closedBySave_ = false;
  // The item this control's editor had when a later control took it over.
  std::optional<std::string> takenOverName_;
};

}  // namespace pellora
