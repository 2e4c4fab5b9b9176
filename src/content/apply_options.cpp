// Covered by tests/content/apply_options_test.cpp.
#include "content/apply_options.h"

namespace pellora::content {

bool HasOptionWord(const std::string& editOptions, const char* word) {
  return editOptions.find(word) != std::string::npos;
}

void ApplyOptions(const std::string& editOptions, const OptionTargets& targets) {
  auto has = [&](const char* word) { return HasOptionWord(editOptions, word); };
  if (has("nohtml")) targets.htmlTab.setVisible(false);
  if (has("nostyle")) targets.cmbStyles.setEnabled(false);
  if (has("nofont")) targets.btnColor.setEnabled(false);
  if (has("noimage")) targets.btnImage.setEnabled(false);
  if (has("notable")) targets.btnTable.setEnabled(false);
}

}  // namespace pellora::content
