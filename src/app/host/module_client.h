// The host's side of the control: loads the module, creates one `axEdit`
// through DllGetClassObject and the class factory, and calls its automation
// members by name through IDispatch, as a web page's script does.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "control/com/com_types.h"
#include "control/com/unknown.h"

namespace pellora::host {

// The module registered for `axEdit` in the settings store; empty when none.
std::string registeredModule();

class ModuleClient {
 public:
  // Loads `path` and creates the control; throws with a message on failure.
  explicit ModuleClient(const std::string& path);
  ~ModuleClient();
  ModuleClient(const ModuleClient&) = delete;
  ModuleClient& operator=(const ModuleClient&) = delete;

  struct Result {
    com::HRESULT hr = 0;
    std::string value;  // a property's value as text
    std::string error;  // the error information of a failed call
  };
  // A method call with string arguments.
  Result call(const std::string& member, const std::vector<std::string>& arguments = {});
  // A property read.
  Result get(const std::string& property);

  // The control's window (a new floating widget), or nullptr when the
  // module shows no window (no display).
  GtkWidget* window();

  // Connects `sink` to the control's events (until this client goes); false
  // when the control refused it.
  bool connectEvents(com::IUnknown* sink, const com::IID& events);

  // What the host window shows of the document; `known` is false when the
  // module tells none of it.
  struct DocumentState {
    bool known = false;
    bool open = false;       // the editor exists
    bool modified = false;   // it holds edits the server has not stored
    bool saved = false;      // an acknowledged save closed it
    bool notLoaded = false;  // its last load failed
    std::string name;        // the Content parameter (UTF-8)
    std::string language;    // "DE" German, else English
  };
  DocumentState documentState();
  // `changed(context)` runs whenever the state may have changed (see
  // IPelloraWindow2); false when the module cannot tell. It must not call
  // the control. Kept for a control made by `recreate`.
  bool watchState(void (*changed)(void* context), void* context);

  // Replaces the control by a new one from the same module, with the same
  // event sink and state handler, and repeats the last Params and Options
  // it was given; throws with a message when it cannot be made.
  void recreate();

 private:
  Result invoke(const std::string& member, com::WORD flags,
                const std::vector<std::string>& arguments);
  void create();
  void release();
  com::IUnknown* window2();

  void* module_ = nullptr;
  com::IDispatch* control_ = nullptr;
  com::IUnknown* window2_ = nullptr;  // IPelloraWindow2, asked for at first use
  com::IConnectionPoint* eventPoint_ = nullptr;
  std::uint32_t eventCookie_ = 0;
  com::IUnknown* eventSink_ = nullptr;
  com::IID eventsIid_{};
  void (*stateChanged_)(void*) = nullptr;
  void* stateContext_ = nullptr;
  std::vector<std::string> lastParams_, lastOptions_;
};

}  // namespace pellora::host
