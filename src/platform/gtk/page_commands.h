// The editing commands the surface carries out, in one table: what the page
// script calls each, which engine command its state comes from and what
// runs it. The page script's constants (CMD, STATUS, ENGINE, IDS) are made
// from these tables, so the script names commands and states, never numbers.
#pragma once

#include <webkit2/webkit2.h>

#include <array>
#include <string_view>

#include "ui/editing_surface.h"

namespace pellora::gtk {

// What runs a command.
enum class PageRun {
  Engine,     // the engine's command of the same name, through the page
  Table,      // one of the page's table operations
  Clipboard,  // one of WebKit's editing commands
  Own,        // the surface's own code (undo, dialogs, block formats, ...)
};

struct PageCommand {
  ui::EditCommand id;
  std::string_view name;  // CMD.<name> in the page script
  // The engine command whose state the page reports; empty where the page
  // has a rule of its own.
  std::string_view engine;
  PageRun run;
  // Table: the page's operation; Clipboard: WebKit's command.
  std::string_view operation;
};

// In the order of the page's `state()` answer.
inline constexpr std::array<PageCommand, 28> kPageCommands = {{
    {ui::DECMD_BOLD, "BOLD", "bold", PageRun::Engine, {}},
    {ui::DECMD_COPY, "COPY", {}, PageRun::Clipboard, WEBKIT_EDITING_COMMAND_COPY},
    {ui::DECMD_CUT, "CUT", {}, PageRun::Clipboard, WEBKIT_EDITING_COMMAND_CUT},
    {ui::DECMD_DELETE, "DELETE", {}, PageRun::Own, {}},
    {ui::DECMD_DELETECOLS, "DELETECOLS", {}, PageRun::Table, "deleteColumns"},
    {ui::DECMD_DELETEROWS, "DELETEROWS", {}, PageRun::Table, "deleteRows"},
    {ui::DECMD_FONT, "FONT", "fontName", PageRun::Own, {}},
    {ui::DECMD_GETBLOCKFMT, "GETBLOCKFMT", "formatBlock", PageRun::Own, {}},
    {ui::DECMD_HYPERLINK, "HYPERLINK", "createLink", PageRun::Own, {}},
    {ui::DECMD_IMAGE, "IMAGE", "insertImage", PageRun::Own, {}},
    {ui::DECMD_INDENT, "INDENT", "indent", PageRun::Engine, {}},
    {ui::DECMD_INSERTCOL, "INSERTCOL", {}, PageRun::Table, "insertColumn"},
    {ui::DECMD_INSERTROW, "INSERTROW", {}, PageRun::Table, "insertRow"},
    {ui::DECMD_INSERTTABLE, "INSERTTABLE", "insertHTML", PageRun::Own, {}},
    {ui::DECMD_ITALIC, "ITALIC", "italic", PageRun::Engine, {}},
    {ui::DECMD_JUSTIFYCENTER, "JUSTIFYCENTER", "justifyCenter", PageRun::Engine, {}},
    {ui::DECMD_JUSTIFYLEFT, "JUSTIFYLEFT", "justifyLeft", PageRun::Engine, {}},
    {ui::DECMD_JUSTIFYRIGHT, "JUSTIFYRIGHT", "justifyRight", PageRun::Engine, {}},
    {ui::DECMD_MERGECELLS, "MERGECELLS", {}, PageRun::Table, "merge"},
    {ui::DECMD_ORDERLIST, "ORDERLIST", "insertOrderedList", PageRun::Engine, {}},
    {ui::DECMD_OUTDENT, "OUTDENT", "outdent", PageRun::Engine, {}},
    {ui::DECMD_PASTE, "PASTE", {}, PageRun::Clipboard, WEBKIT_EDITING_COMMAND_PASTE},
    {ui::DECMD_SELECTALL, "SELECTALL", "selectAll", PageRun::Engine, {}},
    {ui::DECMD_SETBLOCKFMT, "SETBLOCKFMT", "formatBlock", PageRun::Own, {}},
    {ui::DECMD_SPLITCELL, "SPLITCELL", {}, PageRun::Table, "split"},
    {ui::DECMD_UNDERLINE, "UNDERLINE", "underline", PageRun::Engine, {}},
    {ui::DECMD_UNDO, "UNDO", "undo", PageRun::Own, {}},
    {ui::DECMD_UNORDERLIST, "UNORDERLIST", "insertUnorderedList", PageRun::Engine, {}},
}};

struct PageStatus {
  ui::CommandStatus status;
  std::string_view name;  // STATUS.<name> in the page script
};

inline constexpr std::array<PageStatus, 5> kPageStatuses = {{
    {ui::DECMDF_NOTSUPPORTED, "NOTSUPPORTED"},
    {ui::DECMDF_DISABLED, "DISABLED"},
    {ui::DECMDF_ENABLED, "ENABLED"},
    {ui::DECMDF_LATCHED, "LATCHED"},
    {ui::DECMDF_NINCHED, "NINCHED"},
}};

// The table's row of `cmdID`; nullptr for ids not in it.
const PageCommand* pageCommand(int cmdID);

// What runs `cmdID` when it is of that kind, else nullptr: the engine's
// command, the page's table operation, WebKit's clipboard command.
const char* engineCommand(int cmdID);
const char* tableOperation(int cmdID);
const char* clipboardCommand(int cmdID);

}  // namespace pellora::gtk
