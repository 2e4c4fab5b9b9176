#include "settings/about.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace pellora {
namespace {

class AboutFormTest : public ::testing::Test {
 protected:
  test::ScopedFakePlatform platform;
  TAboutForm form;
  test::FakeShell& shell() { return platform.platform.shellDouble; }
};

TEST_F(AboutFormTest, LayoutAndTexts) {
  EXPECT_EQ(form.name(), "AboutForm");
  EXPECT_EQ(form.caption(), "About Pellora");
  EXPECT_EQ(form.bounds(), (ui::Bounds{0, 0, 328, 142}));
  EXPECT_EQ(form.Label2.caption(), "Pellora 2.1");
  EXPECT_TRUE(form.Label2.font().bold);
  EXPECT_EQ(form.Label2.font().height, -19);
  EXPECT_EQ(form.Label3.caption(), "The WYSIWYG-Editor \r\nfor Tessaron");
  EXPECT_EQ(form.Label1.caption(), "https://pellora.example.org/");
  // No colour of its own: the platform shows the desktop's link colour.
  EXPECT_EQ(form.Label1.font().color, ui::Font().color);
  EXPECT_TRUE(form.Label1.font().underline);
  EXPECT_EQ(form.Label1.bounds(), (ui::Bounds{64, 120, 107, 13}));
  EXPECT_EQ(form.Button1.caption(), "OK");
  EXPECT_EQ(form.Button1.bounds(), (ui::Bounds{240, 104, 75, 25}));
}

TEST_F(AboutFormTest, EnterClosesEscapeDoesNot) {
  // Enter presses the default button; Escape would press a cancel button.
  EXPECT_TRUE(form.Button1.isDefault());
  for (const auto& child : form.children()) EXPECT_FALSE(child->isCancel()) << child->name();
  int closes = 0;
  form.closeRequested.connect([&](ui::Form&) { ++closes; });
  form.Button1.click();
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(form.modalResult(), ui::mrCancel);
  EXPECT_TRUE(shell().opened.empty());
}

TEST_F(AboutFormTest, LinkClosesFirstThenOpensTheSite) {
  std::vector<std::size_t> openedWhenClosed;
  form.closeRequested.connect(
      [&](ui::Form&) { openedWhenClosed.push_back(shell().opened.size()); });
  form.Label1.click();
  EXPECT_EQ(openedWhenClosed, std::vector<std::size_t>{0});
  EXPECT_EQ(form.modalResult(), ui::mrCancel);
  EXPECT_EQ(shell().opened, std::vector<std::string>{kMakerWebSite});
}

TEST_F(AboutFormTest, ShellFailureIsNotReported) {
  shell().result = false;
  form.Label1.click();
  EXPECT_EQ(shell().opened.size(), 1u);
  EXPECT_TRUE(platform.platform.boxes.shown.empty());
  ui::setPlatform(nullptr);  // no desktop at all: still nothing escapes
  EXPECT_NO_THROW(form.Label1.click());
}

}  // namespace
}  // namespace pellora
