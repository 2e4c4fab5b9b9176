#include "control/application.h"

namespace pellora {

EditorForms& application() {
  static EditorForms forms;
  return forms;
}

}  // namespace pellora
