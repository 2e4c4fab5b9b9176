#include "settings/about.h"

#include "ui/form_builder.h"
#include "ui/services.h"

namespace pellora {

using ui::addControl;
using ui::ControlKind;

TAboutForm::TAboutForm()
    : ui::Form("AboutForm"),
      Label2(addControl(*this, ControlKind::Label, "Label2", "Pellora 2.1", {40, 16, 126, 24})),
      Label3(addControl(*this, ControlKind::Label, "Label3", "The WYSIWYG-Editor \r\nfor Tessaron",
                        {184, 18, 109, 26})),
      Label1(addControl(*this, ControlKind::Label, "Label1", kMakerWebSite, {64, 120, 107, 13})),
      Button1(addControl(*this, ControlKind::Button, "Button1", "OK", {240, 104, 75, 25}, 0)) {
  setCaption("About Pellora");
  setBounds({0, 0, 328, 142});

  ui::Font title;
  title.height = -19;
  title.bold = true;
  Label2.setFont(title);
  // Underlined; the platform shows it in the desktop's link colour, which
  // stays readable on a dark theme as a fixed blue would not.
  ui::Font link;
  link.underline = true;
  Label1.setFont(link);
  Label3.setTextAlign(ui::TextAlign::Center);

  Button1.setDefault(true);
  Button1.onClick = [this] { Button1Click(); };
  Label1.onClick = [this] { Label1Click(); };
}

void TAboutForm::Button1Click() { closeModal(ui::mrCancel); }

void TAboutForm::Label1Click() {
  closeModal(ui::mrCancel);
  try {
    ui::platform().shell().open(kMakerWebSite);
  } catch (...) {
    // The link is a courtesy; a desktop that cannot open it is not an error.
  }
}

}  // namespace pellora
