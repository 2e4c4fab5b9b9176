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

 private:
  Result invoke(const std::string& member, com::WORD flags,
                const std::vector<std::string>& arguments);

  void* module_ = nullptr;
  com::IDispatch* control_ = nullptr;
  com::IConnectionPoint* eventPoint_ = nullptr;
  std::uint32_t eventCookie_ = 0;
};

}  // namespace pellora::host
