#include "content/apply_options.h"

#include <gtest/gtest.h>

#include <string>

namespace pellora::content {
namespace {

struct Window {
  ui::Control form{ui::ControlKind::Form, "MainForm"};
  ui::Control& tab = form.add(ui::ControlKind::TabSheet, "TabSheet2");
  ui::Control& styles = form.add(ui::ControlKind::ComboBox, "cmbStyles");
  ui::Control& color = form.add(ui::ControlKind::ToolButton, "btnColor");
  ui::Control& image = form.add(ui::ControlKind::ToolButton, "btnImage");
  ui::Control& table = form.add(ui::ControlKind::ToolButton, "btnTable");
  OptionTargets targets{tab, styles, color, image, table};

  // Visible tab, then enabled flags of styles, font, image, table.
  std::string state() const {
    std::string s;
    for (const ui::Control* c : {&tab, &styles, &color, &image, &table}) {
      s += (c == &tab ? c->visible() : c->enabled()) ? '1' : '0';
    }
    return s;
  }
};

TEST(ApplyOptionsTest, Words) {
  const std::pair<const char*, const char*> rows[] = {
      {"", "11111"},         {"nohtml,notable", "01110"},
      {"nohtml", "01111"},   {"nostyle", "10111"},
      {"nofont", "11011"},   {"noimage", "11101"},
      {"notable", "11110"},  {"nohtml nostyle nofont noimage notable", "00000"},
      {"xnohtmlx", "01111"},  // substring search
      {"NOHTML", "11111"},    // case-sensitive
      {"no html", "11111"},
  };
  for (const auto& [options, expected] : rows) {
    Window w;
    ApplyOptions(options, w.targets);
    EXPECT_EQ(w.state(), expected) << options;
  }
}

TEST(ApplyOptionsTest, NothingIsSwitchedBackOn) {
  Window w;
  ApplyOptions("nohtml,noimage", w.targets);
  ApplyOptions("", w.targets);
  EXPECT_EQ(w.state(), "01101");
}

}  // namespace
}  // namespace pellora::content
