/* Pellora SDK: the control on a desktop. IPelloraWindow hands a host the
 * control's widget, the part that in-place activation plays in a web page;
 * IPelloraWindow2 adds what a window around it shows of the document (the
 * item's name, the interface language, whether the editor is open, holds
 * unsaved edits or was closed by a save) and a handler that hears of every
 * change to that. A host asks the control for them with QueryInterface. */
#ifndef PELLORA_WINDOW_H
#define PELLORA_WINDOW_H

#include "pellora/com.h"

/* {6E2B8A51-0C4D-4F7A-9B3E-2A41D5C7E019} */
PELLORA_DEFINE_GUID(IID_IPelloraWindow, 0x6E2B8A51, 0x0C4D, 0x4F7A, 0x9B, 0x3E, 0x2A, 0x41, 0xD5,
                    0xC7, 0xE0, 0x19);
/* {3F0C9D27-5B81-4E6A-A2D4-7C18E95B3A60} */
PELLORA_DEFINE_GUID(IID_IPelloraWindow2, 0x3F0C9D27, 0x5B81, 0x4E6A, 0xA2, 0xD4, 0x7C, 0x18, 0xE9,
                    0x5B, 0x3A, 0x60);

/* Flags of IPelloraWindow2::GetDocumentState. */
enum PelloraDocumentFlags {
  pdfEditorOpen = 1, /* the editor exists: neither closed nor saved and closed */
  pdfModified = 2,   /* it holds edits the server has not stored */
  pdfSaved = 4,      /* it was closed by a save the server acknowledged */
  pdfLoadFailed = 8  /* its last load failed: it does not show the stored item */
};

/* GetWindow: the control's top widget (a GtkWidget*), a new floating
 * reference that the host's container takes over; E_NOTIMPL without a
 * display. The editor inside goes away by itself when the control closes
 * it.
 * GetContentName, GetLanguage: BSTRs the caller frees ("DE" is German,
 * anything else English).
 * SetStateHandler: `changed(context)` runs on the user-interface thread
 * whenever the document's state may have changed; it may read the state
 * but must not call the control's methods. One handler per control; a null
 * one removes it. */
#ifdef PELLORA_CPP_INTERFACES

struct IPelloraWindow : public IUnknown {
  virtual HRESULT GetWindow(void** widget) = 0;

 protected:
  ~IPelloraWindow() = default;
};

struct IPelloraWindow2 : public IPelloraWindow {
  virtual HRESULT GetContentName(BSTR* name) = 0;
  virtual HRESULT GetLanguage(BSTR* code) = 0;
  virtual HRESULT GetDocumentState(int32_t* flags) = 0;
  virtual HRESULT SetStateHandler(void (*changed)(void* context), void* context) = 0;

 protected:
  ~IPelloraWindow2() = default;
};

#else

typedef struct IPelloraWindow IPelloraWindow;
typedef struct IPelloraWindow2 IPelloraWindow2;

typedef struct IPelloraWindowVtbl {
  PELLORA_IUNKNOWN_SLOTS(IPelloraWindow)
  HRESULT (*GetWindow)(IPelloraWindow* This, void** widget);
} IPelloraWindowVtbl;
struct IPelloraWindow {
  const IPelloraWindowVtbl* lpVtbl;
};

typedef struct IPelloraWindow2Vtbl {
  PELLORA_IUNKNOWN_SLOTS(IPelloraWindow2)
  HRESULT (*GetWindow)(IPelloraWindow2* This, void** widget);
  HRESULT (*GetContentName)(IPelloraWindow2* This, BSTR* name);
  HRESULT (*GetLanguage)(IPelloraWindow2* This, BSTR* code);
  HRESULT (*GetDocumentState)(IPelloraWindow2* This, int32_t* flags);
  HRESULT (*SetStateHandler)(IPelloraWindow2* This, void (*changed)(void* context), void* context);
} IPelloraWindow2Vtbl;
struct IPelloraWindow2 {
  const IPelloraWindow2Vtbl* lpVtbl;
};

#endif /* PELLORA_CPP_INTERFACES */

#endif /* PELLORA_WINDOW_H */
