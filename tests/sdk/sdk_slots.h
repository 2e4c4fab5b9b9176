/* The interfaces' slots in the SDK's spelling and the module's (which says
 * set_ for put_), in vtable order, for the C and the C++ side of the layout
 * test. */
#ifndef PELLORA_TEST_SDK_SLOTS_H
#define PELLORA_TEST_SDK_SLOTS_H

#include <stddef.h>

#include "pellora/com.h"

#define IPELLORA_SLOTS(X)                                   \
  X(get_Visible, get_Visible)                               \
  X(put_Visible, set_Visible)                               \
  X(get_AutoScroll, get_AutoScroll)                         \
  X(put_AutoScroll, set_AutoScroll)                         \
  X(get_AutoSize, get_AutoSize)                             \
  X(put_AutoSize, set_AutoSize)                             \
  X(get_AxBorderStyle, get_AxBorderStyle)                   \
  X(put_AxBorderStyle, set_AxBorderStyle)                   \
  X(get_Caption, get_Caption)                               \
  X(put_Caption, set_Caption)                               \
  X(get_Color, get_Color)                                   \
  X(put_Color, set_Color)                                   \
  X(get_Font, get_Font)                                     \
  X(put_Font, set_Font)                                     \
  X(putref_Font, _set_Font)                                 \
  X(get_KeyPreview, get_KeyPreview)                         \
  X(put_KeyPreview, set_KeyPreview)                         \
  X(get_PixelsPerInch, get_PixelsPerInch)                   \
  X(put_PixelsPerInch, set_PixelsPerInch)                   \
  X(get_PrintScale, get_PrintScale)                         \
  X(put_PrintScale, set_PrintScale)                         \
  X(get_Scaled, get_Scaled)                                 \
  X(put_Scaled, set_Scaled)                                 \
  X(get_Active, get_Active)                                 \
  X(get_DropTarget, get_DropTarget)                         \
  X(put_DropTarget, set_DropTarget)                         \
  X(get_HelpFile, get_HelpFile)                             \
  X(put_HelpFile, set_HelpFile)                             \
  X(get_DoubleBuffered, get_DoubleBuffered)                 \
  X(put_DoubleBuffered, set_DoubleBuffered)                 \
  X(get_VisibleDockClientCount, get_VisibleDockClientCount) \
  X(get_Enabled, get_Enabled)                               \
  X(put_Enabled, set_Enabled)                               \
  X(get_Cursor, get_Cursor)                                 \
  X(put_Cursor, set_Cursor)                                 \
  X(Load, Load)                                             \
  X(Save, Save)                                             \
  X(Params, Params)                                         \
  X(Close, Close)                                           \
  X(Options, Options)

#define IPELLORAWINDOW2_SLOTS(X)        \
  X(GetWindow, GetWindow)               \
  X(GetContentName, GetContentName)     \
  X(GetLanguage, GetLanguage)           \
  X(GetDocumentState, GetDocumentState) \
  X(SetStateHandler, SetStateHandler)

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SdkSlot {
  const char* name;
  size_t slot;
} SdkSlot;

/* The C view: each slot's index in its vtable struct, and the struct's
 * whole size in slots. */
extern const SdkSlot sdkIPelloraCSlots[];
extern const size_t sdkIPelloraCSlotCount, sdkIPelloraVtblSlots;
extern const SdkSlot sdkIPelloraWindow2CSlots[];
extern const size_t sdkIPelloraWindow2CSlotCount, sdkIPelloraWindow2VtblSlots;

/* Drives `control` (an IPellora*) through the C view: Params with
 * `content`, then reads the content name back through IPelloraWindow2 and
 * writes and reads the caption. Returns the name and caption read, joined
 * by "|", as a BSTR the caller frees; null when a call failed. */
BSTR sdkDriveFromC(void* control, const OLECHAR* content, const OLECHAR* caption);

#ifdef __cplusplus
}
#endif

#endif
