// Scriptable doubles of every platform service. A test installs a
// FakePlatform (ScopedFakePlatform does it for the test's lifetime), scripts
// the answers it needs and inspects what the system did.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/services.h"

namespace pellora::test {

struct ShownMessage {
  ui::MessageKind kind;
  std::string text;
  std::vector<ui::MessageButton> buttons;
};

class FakeMessageBoxes : public ui::MessageBoxes {
 public:
  ui::MessageButton show(ui::MessageKind kind, const std::string& text,
                         const std::vector<ui::MessageButton>& buttons) override;
  std::vector<ShownMessage> shown;
  // Answer of the next boxes, in order; when none is left the first button.
  std::vector<ui::MessageButton> answers;
  // Runs while a box is "open", to observe the state behind it.
  std::function<void(const ShownMessage&)> whileShown;
};

class FakeModalPresenter : public ui::ModalPresenter {
 public:
  int showModal(ui::Form& form) override;
  std::vector<std::string> shownForms;
  // Per form name: acts on the form as a user would and returns the modal
  // result. Without a script the form is cancelled.
  std::map<std::string, std::function<int(ui::Form&)>> scripts;
};

class FakeCursor : public ui::ScreenCursor {
 public:
  ui::CursorShape cursor() const override { return shape; }
  void setCursor(ui::CursorShape value) override {
    shape = value;
    history.push_back(value);
  }
  ui::CursorShape shape = ui::CursorShape::Default;
  std::vector<ui::CursorShape> history;
};

class FakeClipboard : public ui::Clipboard {
 public:
  void setText(const std::string& value) override { content = value; }
  std::optional<std::string> text() override { return content; }
  std::optional<std::string> content;
};

class FakeShell : public ui::Shell {
 public:
  bool open(const std::string& url) override {
    opened.push_back(url);
    return result;
  }
  std::vector<std::string> opened;
  bool result = true;
};

class FakePump : public ui::MessagePump {
 public:
  void processMessages() override {
    ++calls;
    if (onPump) onPump();
  }
  int calls = 0;
  std::function<void()> onPump;
};

// Timers that fire only when a test says so. A fired or cancelled timer is
// gone from `pending`.
class FakeTimers : public ui::Timers {
 public:
  struct Pending {
    std::chrono::milliseconds delay;
    std::function<void()> action;
    bool live = true;
  };
  std::unique_ptr<ui::Timer> startTimer(std::chrono::milliseconds delay,
                                        std::function<void()> action) override;
  // Timers started and neither fired nor cancelled.
  std::size_t pending() const;
  // Fires every pending timer (those started meanwhile wait for the next
  // call); returns how many fired.
  std::size_t fireAll();
  std::vector<std::shared_ptr<Pending>> timers;
};

struct ExecutedCommand {
  int id;
  int option;
  ui::CommandArg argument;
};

class FakeHtmlDocument : public ui::HtmlDocument {
 public:
  std::string bodyInnerHTML() override;
  std::string bgColor() override { return bgColorValue; }
  void setBgColor(const std::string& value) override { bgColorValue = value; }
  std::vector<std::string> blockFormats() override {
    ++blockFormatQueries;
    return blockFormatList;
  }
  std::optional<std::uint64_t> bodyGeneration() override { return generation; }
  std::optional<std::string> innerHTML;  // when unset: derived from the document text
  // Unset: the double tells no generation. A test that sets it moves it
  // with each change of the document.
  std::optional<std::uint64_t> generation;
  int bodyReads = 0;
  std::string bgColorValue = "#ffffff";
  std::vector<std::string> blockFormatList = {"Normal", "Heading 1", "Heading 2", "Formatted"};
  int blockFormatQueries = 0;
  std::string* documentText = nullptr;
};

// An editing surface whose answers a test sets and whose commands it records.
// `setDocumentHTML` stores the text and, unless `completeLoadsAutomatically`
// is cleared, raises onDocumentComplete at once; otherwise the surface stays
// busy until `completeLoad()`.
class FakeEditingSurface : public ui::EditingSurface {
 public:
  FakeEditingSurface();
  ui::CommandArg ExecCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar) override;
  int QueryStatus(int cmdID) override;
  std::string DocumentHTML() override { return document; }
  void setDocumentHTML(const std::string& html) override;
  bool Busy() override { return busy; }
  bool ShowDetails() override { return details; }
  void setShowDetails(bool value) override { details = value; }
  std::string FilterSourceCode(const std::string& text) override;
  ui::HtmlDocument* DOM() override { return loadedOnce ? &dom : nullptr; }
  void SetContextMenu(const ui::ContextMenuStrings& strings,
                      const ui::ContextMenuStates& states) override;

  void completeLoad();
  // The events as the real surface raises them: to the client of the moment.
  void raiseDisplayChanged() {
    if (ui::EditingSurfaceClient* listener = client()) listener->onDisplayChanged();
  }
  void raiseShowContextMenu(int x, int y) {
    if (ui::EditingSurfaceClient* listener = client()) listener->onShowContextMenu(x, y);
  }
  void raiseContextMenuAction(int itemIndex) {
    if (ui::EditingSurfaceClient* listener = client()) listener->onContextMenuAction(itemIndex);
  }
  // False when no client took the key.
  bool raiseShortcut(ui::SurfaceShortcut shortcut) {
    ui::EditingSurfaceClient* listener = client();
    return listener && listener->onShortcut(shortcut);
  }

  std::string document;
  std::vector<std::string> documentPuts;
  bool busy = false;
  bool details = false;
  bool loadedOnce = false;
  bool completeLoadsAutomatically = true;
  FakeHtmlDocument dom;
  std::map<int, int> statuses;  // missing ids answer `defaultStatus`
  int defaultStatus = ui::DECMDF_ENABLED;
  std::map<int, ui::CommandArg> results;  // ExecCommand results by id
  std::map<int, std::string> failures;    // ids whose ExecCommand/QueryStatus throw
  std::vector<ExecutedCommand> executed;
  std::vector<int> queried;
  // Text FilterSourceCode removes (every occurrence).
  std::string editingAddition;
  ui::ContextMenuStrings menuStrings{};
  ui::ContextMenuStates menuStates{};
  int contextMenuSets = 0;
};

class FakePlatform : public ui::Platform {
 public:
  ui::MessageBoxes& messageBoxes() override { return boxes; }
  ui::ModalPresenter& modal() override { return modalPresenter; }
  ui::ScreenCursor& cursor() override { return screenCursor; }
  ui::Clipboard& clipboard() override { return clipboardDouble; }
  ui::Shell& shell() override { return shellDouble; }
  ui::MessagePump& pump() override { return pumpDouble; }
  std::unique_ptr<ui::EditingSurface> createEditingSurface() override;
  ui::Timers* timers() override { return &timerDouble; }

  FakeMessageBoxes boxes;
  FakeModalPresenter modalPresenter;
  FakeCursor screenCursor;
  FakeClipboard clipboardDouble;
  FakeShell shellDouble;
  FakePump pumpDouble;
  FakeTimers timerDouble;
  // The surfaces created so far (owned by their editor forms).
  std::vector<FakeEditingSurface*> surfaces;
  FakeEditingSurface* lastSurface() const { return surfaces.empty() ? nullptr : surfaces.back(); }
};

// Points the settings store at a fresh, empty folder for its lifetime, so no
// test reads or writes the user's settings or another test's.
class ScopedRegistryDir {
 public:
  ScopedRegistryDir() : variable_("PELLORA_REGISTRY_DIR", folder_.path().string()) {}
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  TempDir folder_;
  ScopedEnv variable_;
};

// Points XDG_STATE_HOME (where drafts of unsaved edits go) at a fresh,
// empty folder for its lifetime.
class ScopedStateDir {
 public:
  ScopedStateDir() : variable_("XDG_STATE_HOME", folder_.path().string()) {}
  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path journal() const { return folder_.path() / "pellora" / "journal"; }

 private:
  TempDir folder_;
  ScopedEnv variable_;
};

// Installs a FakePlatform (and private settings and state folders) for its
// own lifetime.
class ScopedFakePlatform {
 public:
  ScopedFakePlatform() { ui::setPlatform(&platform); }
  ~ScopedFakePlatform() { ui::setPlatform(nullptr); }
  ScopedRegistryDir registry;
  ScopedStateDir state;
  FakePlatform platform;
};

}  // namespace pellora::test
