// The link, image and font dialogs and Delete act on the selection, with
// the real engine. The dialogs are scripted: each records what it was shown,
// takes the focus away from the page as a real dialog does, and answers
// what the case asks for.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"

namespace pellora::gtk {
namespace {

using engine_test::drainEvents;
using engine_test::runUntil;

class ScriptedDialogs final : public SurfaceDialogs {
 public:
  explicit ScriptedDialogs(GtkWidget* elsewhere) : elsewhere_(elsewhere) {}

  std::optional<std::string> askHyperlink(GtkWidget*, const std::string& current) override {
    shownLink = current;
    takeFocus();
    return link;
  }
  std::optional<ImageChoice> askImage(GtkWidget*, const ImageChoice& current) override {
    shownImage = current;
    takeFocus();
    return image;
  }
  std::optional<FontChoice> askFont(GtkWidget*, const FontChoice& current) override {
    shownFont = current;
    takeFocus();
    return font;
  }

  std::optional<std::string> link;
  std::optional<ImageChoice> image;
  std::optional<FontChoice> font;
  std::string shownLink = "<not asked>";
  ImageChoice shownImage{"<not asked>", ""};
  FontChoice shownFont{"<not asked>", -1, ""};

 private:
  void takeFocus() {
    gtk_widget_grab_focus(elsewhere_);
    drainEvents();
  }
  GtkWidget* elsewhere_;
};

class SelectionDialogsTest : public engine_test::SurfaceWindowTest {
 public:
  SelectionDialogsTest() : SurfaceWindowTest(640, 400) {}

  void SetUp() override {
    SurfaceWindowTest::SetUp();
    if (!surface_) return;
    auto dialogs = std::make_unique<ScriptedDialogs>(entry_);
    dialogs_ = dialogs.get();
    surface_->setDialogs(std::move(dialogs));
  }

  // An entry above the view, where a dialog's focus can go.
  GtkWidget* contentAround(GtkWidget* view) override {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    entry_ = gtk_entry_new();
    gtk_box_pack_start(GTK_BOX(box), entry_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), view, TRUE, TRUE, 0);
    return box;
  }

  void load(const std::string& body) {
    SurfaceWindowTest::load(body);
    gtk_widget_grab_focus(surface_->widget());
  }

  std::string selectedText() { return eval("getSelection().toString()"); }

  // The caret `offset` characters into the first text of `selector`.
  void caretAt(const std::string& selector, int offset) {
    ASSERT_EQ("true", eval("(function(){const e=document.querySelector(" + jsString(selector) +
                           ");if(!e||!e.firstChild)return false;getSelection().collapse("
                           "e.firstChild," +
                           std::to_string(offset) + ");return true;})()"));
  }

  // Selects the element itself, as a click on an image does.
  void selectElement(const std::string& selector) {
    ASSERT_EQ("true", eval("(function(){const e=document.querySelector(" + jsString(selector) +
                           ");if(!e)return false;const r=document.createRange();r.selectNode(e);"
                           "const s=getSelection();s.removeAllRanges();s.addRange(r);"
                           "return true;})()"));
  }

  void exec(int cmdID, int option) { surface_->ExecCommand(cmdID, option, {}); }

  GtkWidget* entry_ = nullptr;
  ScriptedDialogs* dialogs_ = nullptr;
};

TEST_F(SelectionDialogsTest, LinkDialogLinksTheSelectionAndCancelKeepsIt) {
  load("<p>Hallo Welt</p>");
  selectText("Welt");
  dialogs_->link.reset();
  exec(ui::DECMD_HYPERLINK, ui::OLECMDEXECOPT_PROMPTUSER);
  EXPECT_EQ("", dialogs_->shownLink);
  EXPECT_EQ("<p>Hallo Welt</p>", body()) << "Cancel changes nothing";
  EXPECT_EQ("Welt", selectedText()) << "Cancel keeps the selection";
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_COPY));

  dialogs_->link = "http://example.org/";
  exec(ui::DECMD_HYPERLINK, ui::OLECMDEXECOPT_PROMPTUSER);
  EXPECT_EQ("<p>Hallo <a href=\"http://example.org/\">Welt</a></p>", body());
  EXPECT_EQ("Welt", selectedText());
}

TEST_F(SelectionDialogsTest, LinkDialogShowsAndChangesTheLinkAtTheCaretOrSelection) {
  struct Case {
    const char* name;
    std::function<void(SelectionDialogsTest&)> place;
  };
  const Case cases[] = {
      {"caret inside", [](SelectionDialogsTest& t) { t.caretAt("a", 2); }},
      {"part selected", [](SelectionDialogsTest& t) { t.selectText("we"); }},
      {"whole link", [](SelectionDialogsTest& t) { t.selectElement("a"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load("<p>eins <a href=\"http://old.example/\" class=\"k\">zwei</a> drei</p>");
    c.place(*this);
    dialogs_->link = "http://new.example/";
    exec(ui::DECMD_HYPERLINK, ui::OLECMDEXECOPT_PROMPTUSER);
    EXPECT_EQ("http://old.example/", dialogs_->shownLink);
    EXPECT_EQ("<p>eins <a href=\"http://new.example/\" class=\"k\">zwei</a> drei</p>", body());
  }
}

TEST_F(SelectionDialogsTest, FontDialogOpensOnTheSelectionAndAppliesOnlyChanges) {
  load("<p>eins <font face=\"Courier\" size=\"5\" color=\"#ff0000\">zwei</font> drei</p>");
  selectText("zwei");
  dialogs_->font = FontChoice{};  // OK without a change
  exec(ui::DECMD_FONT, ui::OLECMDEXECOPT_DODEFAULT);
  EXPECT_EQ("Courier", dialogs_->shownFont.family);
  EXPECT_EQ(5, dialogs_->shownFont.size);
  EXPECT_EQ("#ff0000", dialogs_->shownFont.color);
  EXPECT_EQ("<p>eins <font face=\"Courier\" size=\"5\" color=\"#ff0000\">zwei</font> drei</p>",
            body());
  EXPECT_EQ("zwei", selectedText());

  // Only the size changed: face and colour stay as they are.
  dialogs_->font = FontChoice{"", 2, ""};
  exec(ui::DECMD_FONT, ui::OLECMDEXECOPT_DODEFAULT);
  EXPECT_EQ("2", eval("document.querySelector('font').getAttribute('size')"));
  EXPECT_EQ("Courier|#ff0000", eval("(f=>f.getAttribute('face')+'|'+f.getAttribute('color'))"
                                    "(document.querySelector('font'))"));
  EXPECT_EQ("zwei", eval("document.querySelector('font').textContent"));

  // Cancel leaves it all alone.
  const std::string before = body();
  dialogs_->font.reset();
  exec(ui::DECMD_FONT, ui::OLECMDEXECOPT_DODEFAULT);
  EXPECT_EQ(before, body());
  EXPECT_EQ("zwei", selectedText());
}

TEST_F(SelectionDialogsTest, ImageDialogChangesOnlyAddressAndAlternativeText) {
  load(
      "<p>vor <img src=\"http://server.example/a.png\" alt=\"Alt\" width=\"20\" "
      "class=\"pic\" style=\"border: 1px solid\"> nach</p>");
  selectElement("img");
  // The dialog answers the size it was shown, as the real one does.
  dialogs_->image = ImageChoice{"http://server.example/b.png", "Neu", "20"};
  exec(ui::DECMD_IMAGE, ui::OLECMDEXECOPT_PROMPTUSER);
  EXPECT_EQ("http://server.example/a.png", dialogs_->shownImage.address);
  EXPECT_EQ("Alt", dialogs_->shownImage.alt);
  EXPECT_EQ("20", dialogs_->shownImage.width);
  EXPECT_EQ("", dialogs_->shownImage.height);
  EXPECT_EQ(
      "<p>vor <img src=\"http://server.example/b.png\" alt=\"Neu\" width=\"20\" "
      "class=\"pic\" style=\"border: 1px solid\"> nach</p>",
      body());
  EXPECT_EQ("1", eval("document.images.length"));

  // Cancel: nothing changes.
  const std::string before = body();
  selectElement("img");
  dialogs_->image.reset();
  exec(ui::DECMD_IMAGE, ui::OLECMDEXECOPT_PROMPTUSER);
  EXPECT_EQ(before, body());

  // Without a selected image the dialog shows nothing and OK inserts one.
  caretAt("p", 3);
  dialogs_->image = ImageChoice{"http://server.example/c.png", ""};
  exec(ui::DECMD_IMAGE, ui::OLECMDEXECOPT_PROMPTUSER);
  EXPECT_EQ("", dialogs_->shownImage.address);
  EXPECT_EQ("2", eval("document.images.length"));
  EXPECT_EQ("http://server.example/c.png", eval("document.images[0].getAttribute('src')"));
}

TEST_F(SelectionDialogsTest, DeleteActsOnASelectionOnly) {
  load("<p>abc def</p>");
  caretAt("p", 3);
  EXPECT_EQ(ui::DECMDF_DISABLED, surface_->QueryStatus(ui::DECMD_DELETE));
  exec(ui::DECMD_DELETE, ui::OLECMDEXECOPT_DONTPROMPTUSER);
  EXPECT_EQ("<p>abc def</p>", body()) << "a bare caret deletes nothing";

  selectText("def");
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_DELETE));
  exec(ui::DECMD_DELETE, ui::OLECMDEXECOPT_DONTPROMPTUSER);
  EXPECT_EQ("<p>abc&nbsp;</p>", body());
}

}  // namespace
}  // namespace pellora::gtk
