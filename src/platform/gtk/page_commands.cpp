// Covered by tests/platform/gtk/resource_bundle_test.cpp.
#include "platform/gtk/page_commands.h"

namespace pellora::gtk {

namespace {

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
