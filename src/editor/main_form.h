// The editor form `MainForm`: a container of the tool bars, the two views
// (visual editing surface and HTML source), the status display and the
// hidden load/save buttons. Handlers of the controls are bound by the
// editor's behaviour code; this class only builds and owns the components
// with their design texts, hints and start states.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/draft_journal.h"
#include "exchange/http_client.h"
#include "exchange/http_status_display.h"
#include "exchange/id_antifreeze.h"
#include "ui/control.h"
#include "ui/editing_surface.h"
#include "ui/form.h"
#include "ui/services.h"

namespace pellora {

class TTableForm;
class TUploadForm;
class TAboutForm;
class TOptionsForm;

// The dialogs the editor opens; the control creates them after the editor
// form and hands them over.
struct EditorDialogs {
  TTableForm* TableForm = nullptr;
  TUploadForm* UploadForm = nullptr;
  TAboutForm* AboutForm = nullptr;
  TOptionsForm* OptionsForm = nullptr;
};

class TMainForm : public ui::Form {
 public:
  // Creates the visual surface through the installed platform.
  TMainForm();
  ~TMainForm() override;

  // Creation handler; prepares nothing the rest relies on (no settings, no
  // document): the editor stays empty until the first load.
  void FormCreate() {}

  // The visual editing surface of the "Editor" page.
  ui::EditingSurface& DHTMLEdit() { return *surface_; }

  EditorDialogs dialogs;

  // ---- loading and saving (main_exchange.cpp) ----
  // Loads and saves in progress. While one runs, the window's messages keep
  // flowing, and whatever they do must not destroy this form.
  int RequestsRunning = 0;
  void btnLoadClick();
  void LoadContent(const std::string& url);
  void btnSaveClick();
  void SaveContent();
  // The item (by name) the editor's document was loaded
  // from, or a new item the server does not hold yet; empty when the loads
  // so far failed, none before the first. While it is not the item a save
  // names, the editor does not hold the stored item and a save must not
  // silently replace it.
  std::optional<std::string> LoadedItem;
  std::string ItemOfContext() const;
  // Whether such a save may go on; asks the user, and may load the item
  // again instead.
  bool MayReplaceUnloadedItem(const std::string& body);
  // Image transfer around loading and saving (main_images.cpp).
  void ScanServerImages();
  bool TransferImages();
  void DeleteUnusedImages();                           // after the server stored the content
  std::shared_ptr<class ImageTransfer> imageTransfer;  // made at first use (main_images.cpp)

  // ---- a load that failed (main_load_notice.cpp) ----
  // A load that failed leaves a document that is not the item; the notice
  // above the views says so until a load succeeds, and Try Again loads
  // again. Whether it shows:
  bool LoadFailed() const { return LoadFailureBar.visible(); }
  // The address a load of the item in the editing context fetches.
  std::string ItemUrl() const;

  // ---- view synchronisation and undo (main_views.cpp) ----
  // Set by the first completed load of the visual view, never cleared.
  bool DocumentReady = false;
  // The next display change takes a new undo snapshot.
  bool UndoSnapshotPending = false;
  // The HTML view's text changed since the view was last filled.
  bool SourceModified = false;
  // The visual view's document, fetched anew at each completed load.
  ui::HtmlDocument* HtmlDocument = nullptr;

  void DHTMLEditDocumentComplete();
  void PageControlChanging();
  void mmoHTMLChange();
  // The undo snapshot that every display change runs first.
  void UndoSnapshot();
  // The undo button and the unsaved mark after a change of the visual view:
  // per change they follow the body's generation (changed or not since the
  // snapshot or the reference); the whole body is compared once edits pause.
  void confirmWhenIdle();
  void confirmChanges();
  // Whether the visual view's body differs from the undo snapshot, taking
  // the snapshot first when one is due.
  bool undoable();
  void btnUndoClick();

  // ---- the journal of unsaved edits (main_journal.cpp) ----
  // The control is closing the editor: the draft is kept when the document
  // differs from what was loaded or saved, and removed otherwise. Never
  // throws (closing goes on whatever happens here).
  void FormClosing() noexcept;
  DraftJournal& journal() { return *journal_; }

  // ---- unsaved edits (main_unsaved.cpp) ----
  // Whether the document differs from the item as it was loaded or last
  // saved; false before the first load and while a load is arriving. Right
  // after an edit of the visual view it answers "changed" until the pause
  // after the edits confirms it (so an edit and its undo read as unsaved
  // for that moment).
  bool HasUnsavedEdits();
  // Called whenever that, the document or the view may have changed (a
  // desktop host's title follows it). It must not destroy this form.
  std::function<void()> onDocumentStateChanged;

  // ---- commands, state tracking, tables, context menus ----
  // (main_commands.cpp, main_state.cpp, main_tables.cpp, main_menus.cpp)
  int QueryEditorStatus(int cmdID);
  void ExecEditorCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar);
  // Returns 0 and the block formats on success.
  int ExecDocumentCommand(int cmdID, std::vector<std::string>& output);
  void FillStylesList();
  void DHTMLEditDisplayChanged();

  // Tool bar commands; all but the view aids and dialogs pass the gate.
  void btnBoldClick();
  void btnItalicClick();
  void btnUnderlineClick();
  void btnCutClick();
  void btnCopyClick();
  void btnPasteClick();
  void btnDeleteClick();
  void btnSelAllClick();
  void btnAlLeftClick();
  void btnAlCenterClick();
  void btnAlRightClick();
  void btnListOLClick();
  void btnListULClick();
  void btnIndentLeftClick();
  void btnIndentRightClick();
  void btnLinkClick();
  void btnImageClick();
  void btnColorClick();
  void cmbStylesChange();
  void btnDetailClick();
  void btnBackColorClick();
  void btnOptionsClick();
  void btnAboutClick();

  // Tables.
  void btnTableClick();
  void btnTableInsRowClick();
  void btnTableDelRowClick();
  void btnTableInsColClick();
  void btnTableDelColClick();
  void btnTableMergeCellClick();
  void btnTableSplitCellClick();

  // Context menus: the visual view's (handed to the surface at each
  // right-click) and the HTML view's popup `MenuHtmlPopup`.
  void DHTMLEditShowContextMenu(int x, int y);
  void DHTMLEditContextMenuAction(int itemIndex);
  // A key of the visual view that stands for a tool bar button.
  void DHTMLEditShortcut(ui::SurfaceShortcut shortcut);
  // Runs just before `MenuHtmlPopup` opens (a view raises it through the
  // menu's click).
  void MenuHtmlPopupPopup();
  void popHtmlCutClick();
  void popHtmlCopyClick();
  void popHtmlPasteClick();
  void popHtmlDeleteClick();
  void popHtmlSelAllClick();

  ui::Control& CoolBar;
  ui::Control& ToolbarClipboard;
  ui::Control& btnCut;
  ui::Control& btnCopy;
  ui::Control& btnPaste;
  ui::Control& btnDelete;
  ui::Control& btnUndo;
  ui::Control& btnLink;
  ui::Control& btnImage;
  ui::Control& btnTable;
  ui::Control& btnTableInsRow;
  ui::Control& btnTableDelRow;
  ui::Control& btnTableInsCol;
  ui::Control& btnTableDelCol;
  ui::Control& btnTableMergeCell;
  ui::Control& btnTableSplitCell;
  ui::Control& ToolbarHelp;
  ui::Control& btnDetail;
  ui::Control& btnBackColor;
  ui::Control& btnOptions;
  ui::Control& btnAbout;
  ui::Control& btnSelAll;
  ui::Control& ToolbarFormat;
  ui::Control& cmbStyles;
  ui::Control& btnColor;
  ui::Control& btnBold;
  ui::Control& btnItalic;
  ui::Control& btnUnderline;
  ui::Control& btnAlLeft;
  ui::Control& btnAlCenter;
  ui::Control& btnAlRight;
  ui::Control& btnListOL;
  ui::Control& btnListUL;
  ui::Control& btnIndentLeft;
  ui::Control& btnIndentRight;
  // The notice of a load that failed, between the tool bars and the views.
  ui::Control& LoadFailureBar;
  ui::Control& btnTryAgain;

  ui::PageControl& PageControl;
  ui::Control& TabSheet1;
  ui::Control& TabSheet2;
  // Stands in the widget tree where the visual surface is shown.
  ui::Control& DHTMLEditHost;
  ui::Control& mmoHTML;

  ui::Control& MenuHtmlPopup;
  ui::Control& popHtmlCut;
  ui::Control& popHtmlCopy;
  ui::Control& popHtmlPaste;
  ui::Control& popHtmlDelete;
  ui::Control& popHtmlSelAll;

  ui::Control& StatusPanel;
  ui::Control& StatusLabel;
  ui::Control& StatusProgress;

  ui::Control& btnLoad;
  ui::Control& btnSave;

  // The one HTTP client of the editor and the guard that keeps the window
  // alive while it blocks.
  exchange::TIdHTTP IdHTTP;
  exchange::TIdAntiFreeze IdAntiFreeze1;
  exchange::HttpStatusDisplay StatusDisplay;

 private:
  // Each behaviour file binds its own handlers to the controls.
  void bindViewHandlers();
  void bindCommandHandlers();
  // Centres the status panel over the visual editor, below the tool bars.
  void placeStatusPanel();
  // The notice of a failed load (main_load_notice.cpp).
  void watchLoads();
  void loadEnded(const std::exception* failure);
  void btnTryAgainClick();
  // The journal's side of the editor (main_journal.cpp).
  void startJournal();
  std::optional<BodySnapshot> journalSnapshot();
  void journalChanged();
  void journalDocumentCompleted();
  void offerDrafts(const std::vector<DraftJournal::Offered>& drafts);
  void restoreDraft(const std::string& body);
  void reportJournalFailure();
  // Unsaved edits (main_unsaved.cpp).
  void expectLoadedBody();
  void takeLoadedBody();
  void takeSavedBody(std::optional<BodySnapshot> saved);
  bool compareUnsaved();
  std::optional<std::uint64_t> snapshotGeneration();
  void documentStateChanged();

  // The surface's client: its events run the form's handlers above.
  // Declared before the surface, so it outlives it.
  class SurfaceEvents final : public ui::EditingSurfaceClient {
   public:
    explicit SurfaceEvents(TMainForm& form) : form_(form) {}
    void onDocumentComplete() override;
    void onDisplayChanged() override;
    void onShowContextMenu(int x, int y) override;
    void onContextMenuAction(int itemIndex) override;
    bool onShortcut(ui::SurfaceShortcut shortcut) override;

   private:
    TMainForm& form_;
  };
  SurfaceEvents surfaceEvents_{*this};
  std::unique_ptr<ui::EditingSurface> surface_;
  // None where the system keeps no drafts.
  std::unique_ptr<DraftJournal> journal_;
  bool journalFailureShown_ = false;
  // The body as loaded or last saved, in the form the snapshot gave it.
  struct UnsavedEdits {
    bool referencePending = false;
    std::optional<BodySnapshot> reference;
    std::optional<std::string> referenceFinished;  // made at first need
    // The last answer, for the same snapshot text and while none can be taken.
    std::optional<std::string> lastText;
    bool lastAnswer = false;
    // The body generation the last answer was taken at.
    std::optional<std::uint64_t> answeredAt;
    // What HasUnsavedEdits last said, confirmed or not.
    bool told = false;
  } unsaved_;
  // The body generations at which the body was last found equal to the undo
  // snapshot (or taken as it) and found to differ from it.
  std::optional<std::uint64_t> undoGeneration_, undoDiffersAt_;
  // Pending confirmation of the undo button and the unsaved mark.
  std::unique_ptr<ui::Timer> confirmTimer_;
};

}  // namespace pellora
