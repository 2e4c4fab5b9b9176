// The about box `AboutForm`: product and version, what it is for, and a link
// to the maker's web site. Shown modally from the editor's toolbar; it has
// a default button but no cancel button, so Enter closes it and Escape does
// not.
#pragma once

#include "ui/control.h"
#include "ui/form.h"

namespace pellora {

// The maker's web site: the link's text and its target.
inline constexpr const char* kMakerWebSite = "https://pellora.example.org/";

class TAboutForm : public ui::Form {
 public:
  TAboutForm();

  ui::Control& Label2;
  ui::Control& Label3;
  ui::Control& Label1;
  ui::Control& Button1;

  // Closes the box; the modal showing ends with Cancel.
  void Button1Click();
  // Closes the box, then hands the web site to the desktop's browser; a
  // failure there is ignored.
  void Label1Click();
};

}  // namespace pellora
