// The standard members of the control: each reads or writes the container
// form's property of the same name and does nothing else.
// Covered by tests/control/ax_edit_test.cpp.
#include "control/ax_impl-private.h"
#include "control/ax_impl.h"
#include "control/font_disp.h"

namespace pellora {

using namespace ax_detail;  // NOLINT: helpers of this class only

// ---- standard members --------------------------------------------------------------

HRESULT TaxEdit::get_Visible(VARIANT_BOOL* v) { return read(v, toVariantBool(form_.visible())); }
HRESULT TaxEdit::set_Visible(VARIANT_BOOL v) {
  return guarded([&] { form_.setVisible(v != 0); });
}
HRESULT TaxEdit::get_AutoScroll(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.AutoScroll));
}
HRESULT TaxEdit::set_AutoScroll(VARIANT_BOOL v) {
  props_.AutoScroll = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_AutoSize(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.AutoSize)); }
HRESULT TaxEdit::set_AutoSize(VARIANT_BOOL v) {
  props_.AutoSize = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_AxBorderStyle(TxActiveFormBorderStyle* v) {
  return read(v, props_.AxBorderStyle);
}
HRESULT TaxEdit::set_AxBorderStyle(TxActiveFormBorderStyle v) {
  props_.AxBorderStyle = v;
  return S_OK;
}
HRESULT TaxEdit::get_Caption(BSTR* v) {
  if (!v) return E_POINTER;
  *v = allocBstr(widenText(form_.caption()));
  return S_OK;
}
HRESULT TaxEdit::set_Caption(BSTR v) {
  return guarded([&] { form_.setCaption(narrowText(v)); });
}
HRESULT TaxEdit::get_Color(OLE_COLOR* v) { return read(v, form_.color()); }
HRESULT TaxEdit::set_Color(OLE_COLOR v) {
  return guarded([&] { form_.setColor(v); });
}
HRESULT TaxEdit::get_Font(IFontDisp** v) {
  if (!v) return E_POINTER;
  *v = createFontDisp(form_, props_.PixelsPerInch, static_cast<IPellora*>(this));
  return S_OK;
}
HRESULT TaxEdit::set_Font(IFontDisp* v) {
  if (!v) return E_POINTER;
  return copyFontInto(*v, form_, props_.PixelsPerInch);
}
HRESULT TaxEdit::_set_Font(IFontDisp** v) {
  if (!v || !*v) return E_POINTER;
  return copyFontInto(**v, form_, props_.PixelsPerInch);
}
HRESULT TaxEdit::get_KeyPreview(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.KeyPreview));
}
HRESULT TaxEdit::set_KeyPreview(VARIANT_BOOL v) {
  props_.KeyPreview = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_PixelsPerInch(std::int32_t* v) { return read(v, props_.PixelsPerInch); }
HRESULT TaxEdit::set_PixelsPerInch(std::int32_t v) {
  props_.PixelsPerInch = v;
  return S_OK;
}
HRESULT TaxEdit::get_PrintScale(TxPrintScale* v) { return read(v, props_.PrintScale); }
HRESULT TaxEdit::set_PrintScale(TxPrintScale v) {
  props_.PrintScale = v;
  return S_OK;
}
HRESULT TaxEdit::get_Scaled(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.Scaled)); }
HRESULT TaxEdit::set_Scaled(VARIANT_BOOL v) {
  props_.Scaled = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_Active(VARIANT_BOOL* v) { return read(v, toVariantBool(props_.Active)); }
HRESULT TaxEdit::get_DropTarget(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.DropTarget));
}
HRESULT TaxEdit::set_DropTarget(VARIANT_BOOL v) {
  props_.DropTarget = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_HelpFile(BSTR* v) {
  if (!v) return E_POINTER;
  *v = allocBstr(widenText(props_.HelpFile));
  return S_OK;
}
HRESULT TaxEdit::set_HelpFile(BSTR v) {
  return guarded([&] { props_.HelpFile = narrowText(v); });
}
HRESULT TaxEdit::get_DoubleBuffered(VARIANT_BOOL* v) {
  return read(v, toVariantBool(props_.DoubleBuffered));
}
HRESULT TaxEdit::set_DoubleBuffered(VARIANT_BOOL v) {
  props_.DoubleBuffered = v != 0;
  return S_OK;
}
HRESULT TaxEdit::get_VisibleDockClientCount(std::int32_t* v) {
  return read(v, props_.VisibleDockClientCount);
}
HRESULT TaxEdit::get_Enabled(VARIANT_BOOL* v) { return read(v, toVariantBool(form_.enabled())); }
HRESULT TaxEdit::set_Enabled(VARIANT_BOOL v) {
  return guarded([&] { form_.setEnabled(v != 0); });
}
HRESULT TaxEdit::get_Cursor(std::int16_t* v) { return read(v, props_.Cursor); }
HRESULT TaxEdit::set_Cursor(std::int16_t v) {
  props_.Cursor = v;
  return S_OK;
}

}  // namespace pellora
