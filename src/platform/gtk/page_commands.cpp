// Covered by tests/platform/gtk/resource_bundle_test.cpp.
#include "platform/gtk/page_commands.h"

namespace pellora::gtk {

namespace {

// Every row says what runs it, and each id has one row.
constexpr bool wellFormed() {
  for (std::size_t i = 0; i < kPageCommands.size(); ++i) {
    const PageCommand& row = kPageCommands[i];
    if (row.name.empty()) return false;
    if (row.run == PageRun::Engine && row.engine.empty()) return false;
    const bool operated = row.run == PageRun::Table || row.run == PageRun::Clipboard;
    if (operated == row.operation.empty()) return false;
    if (i > 0 && kPageCommands[i - 1].id >= row.id) return false;
  }
  return true;
}
static_assert(wellFormed());

// The table's strings are literals, so their data ends in a null.
const char* runBy(int cmdID, PageRun run, std::string_view PageCommand::*field) {
  const PageCommand* command = pageCommand(cmdID);
  return command && command->run == run ? (command->*field).data() : nullptr;
}

}  // namespace

const PageCommand* pageCommand(int cmdID) {
  for (const PageCommand& command : kPageCommands) {
    if (command.id == cmdID) return &command;
  }
  return nullptr;
}

const char* engineCommand(int cmdID) { return runBy(cmdID, PageRun::Engine, &PageCommand::engine); }

const char* tableOperation(int cmdID) {
  return runBy(cmdID, PageRun::Table, &PageCommand::operation);
}

const char* clipboardCommand(int cmdID) {
  return runBy(cmdID, PageRun::Clipboard, &PageCommand::operation);
}

}  // namespace pellora::gtk
