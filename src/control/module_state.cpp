#include "control/module_state.h"

namespace pellora {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

}  // namespace pellora
