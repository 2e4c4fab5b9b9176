// The WebKit editing surface with the real engine, on the test's display.
#include "platform/gtk/webkit_surface.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/surface_window_fixture.h"

namespace pellora::gtk {
namespace {

using engine_test::drainEvents;
using engine_test::runUntil;

class WebKitSurfaceTest : public engine_test::SurfaceWindowTest {
 protected:
  WebKitSurfaceTest() : SurfaceWindowTest(640, 400) {}

  void SetUp() override {
    SurfaceWindowTest::SetUp();
    handlers_.displayChanged = [this] { ++displayChanges_; };
  }

  void load(const std::string& body) {
    const int before = put(body);
    EXPECT_TRUE(surface_->Busy());
    awaitCompletionAfter(before);
  }

  void selectContentsOf(const std::string& selector) {
    ASSERT_EQ("true", eval("(function(){const e=document.querySelector(" + jsString(selector) +
                           ");if(!e)return false;const r=document.createRange();"
                           "r.selectNodeContents(e);const s=getSelection();s.removeAllRanges();"
                           "s.addRange(r);return true;})()"));
  }

  void caretIn(const std::string& selector) {
    selectContentsOf(selector);
    eval("getSelection().collapseToStart()");
  }

  // Rows of the first table as cell counts, e.g. "3,3".
  std::string tableShape() {
    return eval("Array.from(document.querySelector('table').rows).map(r=>r.cells.length).join()");
  }

  int displayChanges_ = 0;
};

TEST_F(WebKitSurfaceTest, LoadEndsInDocumentCompleteWithTheBody) {
  EXPECT_EQ(nullptr, surface_->DOM());
  load("<p>Hello <i>world</i></p>");
  EXPECT_EQ(1, completed_);
  EXPECT_FALSE(surface_->Busy());
  ASSERT_NE(nullptr, surface_->DOM());
  EXPECT_EQ("<p>Hello <i>world</i></p>", body());
  const std::string document = surface_->DocumentHTML();
  EXPECT_NE(std::string::npos, document.find("<p>Hello <i>world</i></p>"));
  EXPECT_NE(std::string::npos, document.find("Pellora"));  // the template's head
  // Relative addresses resolve below the content folder.
  EXPECT_EQ(editingContext().BaseUrl + "/contents/img.png",
            eval("new URL('img.png', document.baseURI).href"));
}

TEST_F(WebKitSurfaceTest, BoldOnASelectedWordLatchesAndShowsInTheDocument) {
  load("<p>one two three</p>");
  selectText("two");
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_BOLD));
  surface_->ExecCommand(ui::DECMD_BOLD, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
  EXPECT_EQ(ui::DECMDF_LATCHED, surface_->QueryStatus(ui::DECMD_BOLD));
  EXPECT_EQ("<p>one <b>two</b> three</p>", body());
  EXPECT_NE(std::string::npos, surface_->DocumentHTML().find("<b>two</b>"));
  // Running it again switches the format off.
  surface_->ExecCommand(ui::DECMD_BOLD, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_BOLD));
  EXPECT_EQ("<p>one two three</p>", body());
}

TEST_F(WebKitSurfaceTest, StatusValuesFollowTheSelection) {
  load("<p><b>bold</b> plain</p>");
  selectContentsOf("p");
  EXPECT_EQ(ui::DECMDF_NINCHED, surface_->QueryStatus(ui::DECMD_BOLD));
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_COPY));
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_CUT));
  caretIn("b");
  EXPECT_EQ(ui::DECMDF_LATCHED, surface_->QueryStatus(ui::DECMD_BOLD));
  // Nothing selected: nothing to copy or cut.
  EXPECT_EQ(ui::DECMDF_DISABLED, surface_->QueryStatus(ui::DECMD_COPY));
  EXPECT_EQ(ui::DECMDF_DISABLED, surface_->QueryStatus(ui::DECMD_CUT));
  EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_PASTE));
  EXPECT_EQ(ui::DECMDF_NOTSUPPORTED, surface_->QueryStatus(4999));
}

TEST_F(WebKitSurfaceTest, BlockFormatsAreSetAndReadBackByName) {
  const std::vector<std::string> names = surface_->blockFormatNames();
  load("<p>line</p>");
  ASSERT_NE(nullptr, surface_->DOM());
  EXPECT_EQ(names, surface_->DOM()->blockFormats());
  struct Case {
    std::string name;
    std::string element;
  };
  const Case cases[] = {{"Heading 1", "h1"},
                        {"Heading 6", "h6"},
                        {"Formatted", "pre"},
                        {"Address", "address"},
                        {"Normal", "p"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    caretIn("body > *");
    EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_SETBLOCKFMT));
    surface_->ExecCommand(ui::DECMD_SETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT, std::string(c.name));
    EXPECT_EQ("<" + c.element + ">line</" + c.element + ">", body());
    EXPECT_EQ(ui::CommandArg(c.name),
              surface_->ExecCommand(ui::DECMD_GETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT, {}));
  }
  EXPECT_THROW(surface_->ExecCommand(ui::DECMD_SETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT,
                                     std::string("No Such Format")),
               std::invalid_argument);
}

TEST_F(WebKitSurfaceTest, TablesAreInsertedAndEditedCellByCell) {
  load("<p>before</p>");
  caretIn("p");
  const int tableIds[] = {ui::DECMD_INSERTROW,  ui::DECMD_DELETEROWS, ui::DECMD_INSERTCOL,
                          ui::DECMD_DELETECOLS, ui::DECMD_MERGECELLS, ui::DECMD_SPLITCELL};
  for (int id : tableIds) EXPECT_EQ(ui::DECMDF_DISABLED, surface_->QueryStatus(id)) << id;

  ASSERT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_INSERTTABLE));
  surface_->ExecCommand(ui::DECMD_INSERTTABLE, ui::OLECMDEXECOPT_DODEFAULT,
                        ui::TableParams{2, 3, " width=80% border=0"});
  EXPECT_EQ("3,3", tableShape());
  EXPECT_EQ("80%|0", eval("(t=>t.getAttribute('width')+'|'+t.getAttribute('border'))"
                          "(document.querySelector('table'))"));

  caretIn("td");
  for (int id : tableIds) EXPECT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(id)) << id;

  struct Step {
    int cmdID;
    const char* shape;
  };
  const Step steps[] = {
      {ui::DECMD_INSERTROW, "3,3,3"}, {ui::DECMD_DELETEROWS, "3,3"}, {ui::DECMD_INSERTCOL, "4,4"},
      {ui::DECMD_DELETECOLS, "3,3"},  {ui::DECMD_MERGECELLS, "2,3"}, {ui::DECMD_SPLITCELL, "3,3"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.cmdID);
    caretIn("td");
    surface_->ExecCommand(step.cmdID, ui::OLECMDEXECOPT_DODEFAULT, {});
    EXPECT_EQ(step.shape, tableShape());
  }
  // The merge spanned two columns; the split gave one back.
  EXPECT_EQ("1", eval("String(document.querySelector('td').colSpan)"));
}

TEST_F(WebKitSurfaceTest, UndoReversesEngineEditsAndTableEdits) {
  load("<p>one two</p><table><tbody><tr><td>a</td><td>b</td></tr></tbody></table>");
  const std::string original = body();
  selectText("two");
  surface_->ExecCommand(ui::DECMD_ITALIC, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
  ASSERT_NE(original, body());
  ASSERT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_UNDO));
  surface_->ExecCommand(ui::DECMD_UNDO, ui::OLECMDEXECOPT_DODEFAULT, {});
  EXPECT_EQ(original, body());

  caretIn("td");
  surface_->ExecCommand(ui::DECMD_MERGECELLS, ui::OLECMDEXECOPT_DODEFAULT, {});
  ASSERT_EQ("1", tableShape());
  ASSERT_EQ(ui::DECMDF_ENABLED, surface_->QueryStatus(ui::DECMD_UNDO));
  surface_->ExecCommand(ui::DECMD_UNDO, ui::OLECMDEXECOPT_DODEFAULT, {});
  EXPECT_EQ(original, body());
}

TEST_F(WebKitSurfaceTest, BackgroundColourTogglesOnTheBodyTag) {
  load("<p>x</p>");
  ui::HtmlDocument* document = surface_->DOM();
  EXPECT_EQ("#ffffff", document->bgColor());
  document->setBgColor("#000000");
  EXPECT_EQ("#000000", document->bgColor());
  document->setBgColor("#ffffff");
  EXPECT_EQ("#ffffff", document->bgColor());
  EXPECT_EQ("<p>x</p>", body());
}

TEST_F(WebKitSurfaceTest, DetailMarksLiveInTheHeadAndAreFilteredOut) {
  load("<p>x</p>");
  EXPECT_FALSE(surface_->ShowDetails());
  surface_->setShowDetails(true);
  const std::string shown = surface_->DocumentHTML();
  EXPECT_NE(std::string::npos, shown.find(std::string(kDetailsStyleId)));
  EXPECT_EQ("<p>x</p>", body());
  const std::string filtered = surface_->FilterSourceCode(shown);
  EXPECT_EQ(std::string::npos, filtered.find(std::string(kDetailsStyleId)));
  EXPECT_NE(std::string::npos, filtered.find("<p>x</p>"));
  // A reload keeps the marks on.
  load("<p>y</p>");
  EXPECT_NE(std::string::npos, surface_->DocumentHTML().find(std::string(kDetailsStyleId)));
  surface_->setShowDetails(false);
  EXPECT_EQ(std::string::npos, surface_->DocumentHTML().find(std::string(kDetailsStyleId)));
}

TEST_F(WebKitSurfaceTest, ScriptsInTheContentNeverRun) {
  load(
      "<p id=\"t\">quiet</p>"
      "<script>document.getElementById('t').textContent = 'ran';</script>"
      "<img src=\"data:,\" onerror=\"document.getElementById('t').textContent = 'ran'\">"
      "<a id=\"j\" href=\"javascript:document.getElementById('t').textContent = 'ran'\">j</a>");
  eval("document.getElementById('j').click(); true");
  EXPECT_EQ("quiet", eval("document.getElementById('t').textContent"));
  // They stay in the document, so saving keeps them.
  EXPECT_NE(std::string::npos, body().find("<script>"));
  EXPECT_NE(std::string::npos, body().find("onerror="));
  // Our own scripts still run.
  EXPECT_EQ("2", eval("String(1 + 1)"));
}

TEST_F(WebKitSurfaceTest, CharactersOutsideTheCodePageComeBackAsReferences) {
  load("<p>x</p>");
  caretIn("p");
  eval("document.execCommand('insertText', false, '\\u0142\\u00e9')");
  EXPECT_EQ("<p>&#322;\xE9x</p>", body());
  // And they go in the same way.
  load("<p>&#322;\xE9</p>");
  EXPECT_EQ("\xC5\x82\xC3\xA9", eval("document.querySelector('p').textContent"));
}

TEST_F(WebKitSurfaceTest, EveryChangeRaisesDisplayChanged) {
  load("<p>one two</p>");
  runUntil([&] { return displayChanges_ > 0; });  // the one after loading
  int seen = displayChanges_;
  caretIn("p");
  runUntil([&] { return displayChanges_ > seen; });
  seen = displayChanges_;
  eval("document.execCommand('insertText', false, 'A')");
  runUntil([&] { return displayChanges_ > seen; });
  // The states arrived with the notification.
  EXPECT_EQ("<p>Aone two</p>", body());
}

// The page reports edits without the body: the generation tells an edit
// from a caret move, and the body read afterwards holds the edit.
TEST_F(WebKitSurfaceTest, TheBodyGenerationMovesWithEditsAndNotWithTheCaret) {
  load("<p>one two</p><p>three</p>");
  runUntil([&] { return displayChanges_ > 0; });
  ui::HtmlDocument* document = surface_->DOM();
  ASSERT_NE(document, nullptr);
  std::optional<std::uint64_t> generation = document->bodyGeneration();
  ASSERT_TRUE(generation);
  struct Step {
    const char* script;
    bool edits;
  };
  const Step steps[] = {
      {"getSelection().collapse(document.querySelector('p:last-child').firstChild, 2)", false},
      {"document.execCommand('insertText', false, 'A')", true},
      {"getSelection().collapse(document.querySelector('p').firstChild, 1)", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.script);
    const int seen = displayChanges_;
    eval(step.script);
    runUntil([&] { return displayChanges_ > seen; });
    const std::optional<std::uint64_t> now = document->bodyGeneration();
    EXPECT_EQ(now != generation, step.edits);
    generation = now;
  }
  EXPECT_EQ("<p>one two</p><p>thAree</p>", body());
}

TEST_F(WebKitSurfaceTest, BodyFollowsLargeEditsThroughDifferences) {
  std::string big;
  for (int i = 0; i < 2000; ++i) big += "<p>paragraph " + std::to_string(i) + " \xE9t\xE9</p>";
  load(big);
  EXPECT_EQ(big, body());
  struct Edit {
    const char* selector;
    const char* text;
  };
  const Edit edits[] = {
      {"p", "\\u0142"}, {"p:last-child", "Z"}, {"p:nth-child(1000)", "\\ud83d\\ude00"}};
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.selector);
    caretIn(edit.selector);
    eval(std::string("document.execCommand('insertText', false, '") + edit.text + "')");
    // The page's own text, converted here in one piece, must equal the
    // rebuilt copy.
    surface_->setCachingForTesting(false);
    const std::string whole = body();
    surface_->setCachingForTesting(true);
    EXPECT_EQ(whole, body());
  }
}

// Right-clicks the view and waits for the menu the surface built.
GtkMenu* openContextMenu(GtkWidget* view) {
  static GtkMenu* shown = nullptr;
  shown = nullptr;
  const guint signal = g_signal_lookup("show", GTK_TYPE_WIDGET);
  const gulong hook = g_signal_add_emission_hook(
      signal, 0,
      [](GSignalInvocationHint*, guint, const GValue* values, gpointer) -> gboolean {
        auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
        if (GTK_IS_MENU(widget)) shown = GTK_MENU(widget);
        return TRUE;
      },
      nullptr, nullptr);
  GdkWindow* window = gtk_widget_get_window(view);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.button = 3;
    event->button.x = 20;
    event->button.y = 20;
    event->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_pointer(seat));
    gtk_main_do_event(event);
    gdk_event_free(event);
  }
  runUntil([] { return shown != nullptr; });
  g_signal_remove_emission_hook(signal, hook);
  return shown;
}

TEST_F(WebKitSurfaceTest, ContextMenuOffersTheEntriesLastSetAndReportsTheChoice) {
  load("<p>some text to click on</p>");
  std::vector<std::string> calls;
  handlers_.showContextMenu = [&](int, int) {
    calls.push_back("show");
    // The editor answers the notification with the menu to show.
    surface_->SetContextMenu({"Undo", "", "Cut", "Copy", "Paste", "Delete", "", "Select All"},
                             {0, 0, 0, 0, 0, 0, 0, 0});
  };
  handlers_.contextMenuAction = [&](int index) {
    calls.push_back("action " + std::to_string(index));
  };
  GtkMenu* menu = openContextMenu(surface_->widget());
  ASSERT_NE(nullptr, menu);
  std::vector<std::string> labels;
  GtkWidget* copy = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* item = children; item; item = item->next) {
    auto* widget = GTK_WIDGET(item->data);
    if (GTK_IS_SEPARATOR_MENU_ITEM(widget)) {
      labels.emplace_back("-");
      continue;
    }
    const std::string label = gtk_menu_item_get_label(GTK_MENU_ITEM(widget));
    labels.push_back(label);
    if (label == "Copy") copy = widget;
  }
  g_list_free(children);
  EXPECT_EQ(
      (std::vector<std::string>{"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-", "Select All"}),
      labels);
  ASSERT_NE(nullptr, copy);
  gtk_menu_item_activate(GTK_MENU_ITEM(copy));
  gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu));
  runUntil([&] { return calls.size() >= 2; });
  EXPECT_EQ((std::vector<std::string>{"show", "action 3"}), calls);
}

}  // namespace
}  // namespace pellora::gtk
