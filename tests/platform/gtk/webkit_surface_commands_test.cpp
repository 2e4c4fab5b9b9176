// The command table on the real engine: each command the engine carries out
// has its effect on the document and the state it reports afterwards, so a
// command wired to the wrong engine command shows; and the view's own aids
// (guides of borderless tables) show while editing without reaching the
// document.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/gtk/page_commands.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {
namespace {

class WebKitSurfaceCommandsTest : public engine_test::SurfaceWindowTest {};

struct EngineCommandCase {
  ui::EditCommand command;
  const char* body;
  const char* selected;
  const char* effect;  // markup the body then holds
  bool latched;        // reported down afterwards
};

TEST_F(WebKitSurfaceCommandsTest, EveryEngineCommandActsAndReportsItsOwnEffect) {
  const EngineCommandCase cases[] = {
      {ui::DECMD_BOLD, "<p>one two</p>", "two", "<p>one <b>two</b></p>", true},
      {ui::DECMD_ITALIC, "<p>one two</p>", "two", "<p>one <i>two</i></p>", true},
      {ui::DECMD_UNDERLINE, "<p>one two</p>", "two", "<p>one <u>two</u></p>", true},
      {ui::DECMD_JUSTIFYLEFT, "<p align=\"right\">one two</p>", "two", "text-align: left;", true},
      {ui::DECMD_JUSTIFYCENTER, "<p>one two</p>", "two", "text-align: center;", true},
      {ui::DECMD_JUSTIFYRIGHT, "<p>one two</p>", "two", "text-align: right;", true},
      {ui::DECMD_ORDERLIST, "<p>one two</p>", "two", "<ol><li>one two</li></ol>", true},
      {ui::DECMD_UNORDERLIST, "<p>one two</p>", "two", "<ul><li>one two</li></ul>", true},
      {ui::DECMD_INDENT, "<p>one two</p>", "two", "<blockquote", false},
      {ui::DECMD_OUTDENT, "<blockquote><p>one two</p></blockquote>", "two", "<p>one two</p>",
       false},
      {ui::DECMD_SELECTALL, "<p>one two</p>", "two", "<p>one two</p>", false},
  };
  // Every command the engine runs has its case.
  for (const PageCommand& row : kPageCommands) {
    if (row.run != PageRun::Engine) continue;
    EXPECT_TRUE(std::any_of(std::begin(cases), std::end(cases), [&](const EngineCommandCase& c) {
      return c.command == row.id;
    })) << row.name;
  }
  for (const EngineCommandCase& c : cases) {
    SCOPED_TRACE(pageCommand(c.command)->name);
    load(c.body);
    selectText(c.selected);
    surface_->ExecCommand(c.command, ui::OLECMDEXECOPT_DODEFAULT, {});
    EXPECT_NE(body().find(c.effect), std::string::npos) << body();
    if (c.latched) {
      EXPECT_EQ(surface_->QueryStatus(c.command), ui::DECMDF_LATCHED);
    }
    if (c.command == ui::DECMD_OUTDENT) {
      EXPECT_EQ(body().find("blockquote"), std::string::npos);
    }
    if (c.command == ui::DECMD_SELECTALL) {
      EXPECT_EQ(eval("getSelection().toString()"), "one two");
    }
  }
}

TEST_F(WebKitSurfaceCommandsTest, BorderlessTablesShowGuidesThatAreNeverPartOfTheDocument) {
  const std::string markup =
      "<table border=\"0\"><tbody><tr><td>a</td></tr></tbody></table>"
      "<table border=\"1\"><tbody><tr><td>b</td></tr></tbody></table>"
      "<table><tbody><tr><td>c</td></tr></tbody></table>";
  load(markup);
  EXPECT_EQ(eval("Array.from(document.querySelectorAll('td'))"
                 ".map((td) => getComputedStyle(td).outlineStyle).join(' ')"),
            "dotted none dotted");
  EXPECT_EQ(body(), markup);
  EXPECT_EQ(surface_->DocumentHTML().find("outline"), std::string::npos);
}

}  // namespace
}  // namespace pellora::gtk
