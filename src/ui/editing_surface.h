// The visual editing surface: an HTML document the user edits in place.
// The editor drives it only through this interface: commands by number,
// command states, the document text, its body and background colour, the
// block formats, and the events its client hears. WebKitGTK implements it for real; tests
// use a scriptable double.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellora::ui {

// Command ids the editor issues.
enum EditCommand : int {
  DECMD_BOLD = 5000,
  DECMD_COPY = 5002,
  DECMD_CUT = 5003,
  DECMD_DELETE = 5004,
  DECMD_DELETECOLS = 5006,
  DECMD_DELETEROWS = 5007,
  DECMD_FONT = 5009,
  DECMD_GETBLOCKFMT = 5011,
  DECMD_HYPERLINK = 5016,
  DECMD_IMAGE = 5017,
  DECMD_INDENT = 5018,
  DECMD_INSERTCOL = 5020,
  DECMD_INSERTROW = 5021,
  DECMD_INSERTTABLE = 5022,
  DECMD_ITALIC = 5023,
  DECMD_JUSTIFYCENTER = 5024,
  DECMD_JUSTIFYLEFT = 5025,
  DECMD_JUSTIFYRIGHT = 5026,
  DECMD_MERGECELLS = 5029,
  DECMD_ORDERLIST = 5030,
  DECMD_OUTDENT = 5031,
  DECMD_PASTE = 5032,
  DECMD_SELECTALL = 5035,
  DECMD_SETBLOCKFMT = 5043,
  DECMD_SPLITCELL = 5047,
  DECMD_UNDERLINE = 5048,
  DECMD_UNDO = 5049,
  DECMD_UNORDERLIST = 5051,
};

// How a command runs: 0 default, 1 prompt with the surface's own dialog,
// 2 never prompt.
enum CommandOption : int {
  OLECMDEXECOPT_DODEFAULT = 0,
  OLECMDEXECOPT_PROMPTUSER = 1,
  OLECMDEXECOPT_DONTPROMPTUSER = 2,
};

// Command states as QueryStatus answers them.
enum CommandStatus : int {
  DECMDF_NOTSUPPORTED = 0,
  DECMDF_DISABLED = 1,
  DECMDF_ENABLED = 3,
  DECMDF_LATCHED = 7,
  DECMDF_NINCHED = 11,
};

// Parameter object of DECMD_INSERTTABLE.
struct TableParams {
  int NumRows = 0;
  int NumCols = 0;
  std::string TableAttrs;
  bool operator==(const TableParams&) const = default;
};

// The in/out argument of a command: null, a string, an integer, a boolean
// or the table parameters.
using CommandArg = std::variant<std::monostate, std::string, int, bool, TableParams>;

inline constexpr int kContextMenuSize = 8;
using ContextMenuStrings = std::array<std::string, kContextMenuSize>;
using ContextMenuStates = std::array<int, kContextMenuSize>;

// The document a completed load exposes. Owned by the surface; valid until
// the next load completes.
class HtmlDocument {
 public:
  virtual ~HtmlDocument() = default;
  virtual std::string bodyInnerHTML() = 0;
  virtual std::string bgColor() = 0;
  virtual void setBgColor(const std::string& value) = 0;
  // The command target's block-format list (IDM_GETBLOCKFMTS).
  virtual std::vector<std::string> blockFormats() = 0;
  // A number that changes whenever the body may have changed, so a caller
  // can tell "unchanged" without reading the body; none when the document
  // cannot tell (then only the body itself says).
  virtual std::optional<std::uint64_t> bodyGeneration() { return std::nullopt; }
};

// Keys of the visual view that stand for a tool bar button: the editor
// runs them as a click on that button, so its gate, down state and dialog
// are the button's.
enum class SurfaceShortcut { Bold, Italic, Underline, Hyperlink, Undo };

// What the surface tells the one who edits with it. Every handler does
// nothing unless overridden, so a client takes only the events it needs.
class EditingSurfaceClient {
 public:
  // A put document has loaded; DOM() is the new document.
  virtual void onDocumentComplete() {}
  // The selection or the document changed: command states may differ.
  virtual void onDisplayChanged() {}
  // The surface is about to show its context menu at (x, y); the client may
  // still set its entries.
  virtual void onShowContextMenu(int /*x*/, int /*y*/) {}
  // The user chose the entry at `itemIndex` of the client's entries.
  virtual void onContextMenuAction(int /*itemIndex*/) {}
  // False leaves the key to the surface, which runs the command itself.
  virtual bool onShortcut(SurfaceShortcut /*shortcut*/) { return false; }

 protected:
  ~EditingSurfaceClient() = default;
};

// All text crossing this interface is Windows-1252.
class EditingSurface {
 public:
  virtual ~EditingSurface() = default;

  // Runs a command; the result is the command's output argument (a string
  // for DECMD_GETBLOCKFMT, null otherwise).
  virtual CommandArg ExecCommand(int cmdID, int cmdexecopt, const CommandArg& pInVar) = 0;
  virtual int QueryStatus(int cmdID) = 0;

  // The whole document. Putting it reloads the surface; the reload ends in
  // onDocumentComplete and `Busy()` is true until then.
  virtual std::string DocumentHTML() = 0;
  virtual void setDocumentHTML(const std::string& html) = 0;
  virtual bool Busy() = 0;

  virtual bool ShowDetails() = 0;
  virtual void setShowDetails(bool value) = 0;

  // The text without anything the surface added for editing.
  virtual std::string FilterSourceCode(const std::string& text) = 0;

  // The current document, or nullptr before the first completed load.
  virtual HtmlDocument* DOM() = 0;

  virtual void SetContextMenu(const ContextMenuStrings& menuStrings,
                              const ContextMenuStates& menuStates) = 0;

  // The client hears the events from now on; nullptr leaves the surface
  // without one. A surface reads its client when an event fires, and never
  // calls a client once it is replaced or while the surface is destroyed.
  void setClient(EditingSurfaceClient* client) { client_ = client; }
  EditingSurfaceClient* client() const { return client_; }

 private:
  EditingSurfaceClient* client_ = nullptr;
};

}  // namespace pellora::ui
