// Writes the page script as the editing surface injects it (constants and
// parts together), so a linter checks exactly what the page runs.
#include <iostream>

#include "platform/gtk/surface_scripts.h"

int main() {
  std::cout << pellora::gtk::pageScript();
  return std::cout ? 0 : 1;
}
