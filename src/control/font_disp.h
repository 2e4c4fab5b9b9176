// The font object the control's Font property hands out: an IDispatch whose
// standard font properties (Name, Size, Bold, Italic, Underline) read and
// write the container form's font live.
#pragma once

#include "control/com/unknown.h"
#include "ui/control.h"

namespace pellora {

inline constexpr com::DISPID DISPID_FONT_NAME = 0, DISPID_FONT_SIZE = 2, DISPID_FONT_BOLD = 3,
                             DISPID_FONT_ITALIC = 4, DISPID_FONT_UNDER = 5;

// A new font object mirroring `form`'s font at `pixelsPerInch` (reference
// count 1). The form must outlive it; the control keeps the form alive for
// as long as it is referenced.
com::IDispatch* createFontDisp(ui::Control& form, int pixelsPerInch, com::IUnknown* keepAlive);

// Copies a font object's properties into `form`'s font, reading them through
// IDispatch, so any font object will do.
com::HRESULT copyFontInto(com::IDispatch& font, ui::Control& form, int pixelsPerInch);

}  // namespace pellora
