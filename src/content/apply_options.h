// The option words of the host (`EditOptions`) applied to the editor window
// after each load: "nohtml" hides the HTML view, "nostyle", "nofont",
// "noimage" and "notable" disable the style list and the font, image and
// table buttons. A word counts wherever it occurs in the option string
// (case-sensitive substring). Nothing is ever shown or enabled again here.
//
// The content layer does not know the editor form; the form hands over the
// controls it means.
#pragma once

#include <string>

#include "ui/control.h"

namespace pellora::content {

struct OptionTargets {
  ui::Control& htmlTab;    // TabSheet2, the HTML source view
  ui::Control& cmbStyles;  // paragraph styles
  ui::Control& btnColor;   // font
  ui::Control& btnImage;   // insert image
  ui::Control& btnTable;   // insert table
};

// True when the option word `word` is given (a substring of the options).
bool HasOptionWord(const std::string& editOptions, const char* word);

void ApplyOptions(const std::string& editOptions, const OptionTargets& targets);

}  // namespace pellora::content
