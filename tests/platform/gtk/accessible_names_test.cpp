// The editor as assistive technologies and the keyboard meet it: the
// accessibility tree names every tool button by its hint and the views and
// the style list by what they are, and F6 or Ctrl+Tab take the keyboard
// focus out of the visual view to the tool bars and back. The control's
// own window with the real WebKit surface, on the test's display.
#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/application.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/control_view.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/key_stroke.h"
#include "platform/gtk/pane_keys.h"
#include "platform/gtk/widget_search.h"
#include "support/run_until.h"
#include "ui/services.h"

namespace pellora::gtk {
namespace {

using pellora::test::runUntil;

std::string nameOf(GtkWidget* widget) {
  const char* name = widget ? atk_object_get_name(gtk_widget_get_accessible(widget)) : nullptr;
  return name ? name : "";
}

bool has(AtkObject* object, AtkStateType state) {
  AtkStateSet* states = atk_object_ref_state_set(object);
  const bool result = states && atk_state_set_contains_state(states, state);
  if (states) g_object_unref(states);
  return result;
}

struct Node {
  AtkRole role;
  std::string name;
};

// The shown objects of the accessibility tree under `object`, depth first.
void collect(AtkObject* object, std::vector<Node>& out) {
  const int count = atk_object_get_n_accessible_children(object);
  for (int i = 0; i < count; ++i) {
    AtkObject* child = atk_object_ref_accessible_child(object, i);
    if (!child) continue;
    if (has(child, ATK_STATE_SHOWING)) {
      const char* name = atk_object_get_name(child);
      out.push_back({atk_object_get_role(child), name ? name : ""});
      collect(child, out);
    }
    g_object_unref(child);
  }
}

class EditorAccessibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
    g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
    if (!GtkPlatform::initialise()) GTEST_SKIP() << "no display";
    resetEditingContextForTesting();
    platform_ = std::make_unique<GtkPlatform>();
    ui::setPlatform(platform_.get());
    application().MainForm = std::make_unique<TMainForm>();
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window_), createControlView(container_));
    gtk_widget_show_all(window_);
    TMainForm& editor = *application().MainForm;
    editor.DHTMLEdit().setDocumentHTML(wrapInDocumentTemplate("<p>Hallo Welt</p>"));
    runUntil([&] { return editor.DocumentReady; });
  }

  void TearDown() override {
    if (window_) gtk_widget_destroy(window_);
    application().MainForm.reset();
    ui::setPlatform(nullptr);
    platform_.reset();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    resetEditingContextForTesting();
  }

  GtkWidget* find(const std::string& name) { return findWidget(window_, name); }
  GtkWidget* visual() {
    return findWidgetIf(window_, [](GtkWidget* widget) { return WEBKIT_IS_WEB_VIEW(widget); });
  }
  GtkWidget* focus() { return gtk_window_get_focus(GTK_WINDOW(window_)); }
  bool focusIn(GtkWidget* area) {
    GtkWidget* now = focus();
    return now && (now == area || gtk_widget_is_ancestor(now, area));
  }
  void press(const std::string& combo) {
    const auto stroke = parseKeyStroke(combo);
    ASSERT_TRUE(stroke);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) sendKeyEvent(window_, *stroke, type);
  }

  std::unique_ptr<GtkPlatform> platform_;
  ui::Form container_{"axEdit"};
  GtkWidget* window_ = nullptr;
};

TEST_F(EditorAccessibilityTest, EveryShownButtonIsNamedByItsHintAndTheViewsByTheirPage) {
  std::vector<Node> tree;
  collect(gtk_widget_get_accessible(window_), tree);
  int buttons = 0;
  for (const Node& node : tree) {
    if (node.role != ATK_ROLE_PUSH_BUTTON && node.role != ATK_ROLE_TOGGLE_BUTTON) continue;
    ++buttons;
    EXPECT_FALSE(node.name.empty()) << "a button without a name";
    EXPECT_NE(node.name.rfind("btn", 0), 0u) << node.name << " is an internal id";
  }
  EXPECT_GE(buttons, 20) << "the tool bars' buttons are in the tree";
  const auto named = [&](AtkRole role, const std::string& name) {
    for (const Node& node : tree)
      if (node.role == role && node.name == name) return true;
    return false;
  };
  EXPECT_TRUE(named(ATK_ROLE_TOGGLE_BUTTON, "Bold"));
  EXPECT_TRUE(named(ATK_ROLE_PUSH_BUTTON, "Insert Table"));

  const struct {
    const char* widget;
    const char* name;
  } cases[] = {
      {"btnBold", "Bold"},     {"btnUndo", "Undo"}, {"btnLink", "Hyperlink"},
      {"cmbStyles", "Styles"}, {"mmoHTML", "HTML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.widget);
    EXPECT_EQ(nameOf(find(c.widget)), c.name);
  }
  EXPECT_EQ(nameOf(visual()), "Editor");
  // The button that takes the focus inside a tool button is what a screen
  // reader announces.
  EXPECT_EQ(nameOf(gtk_bin_get_child(GTK_BIN(find("btnItalic")))), "Italic");

  // Names follow the interface language.
  application().MainForm->btnBold.setHint("Fett");
  EXPECT_EQ(nameOf(gtk_bin_get_child(GTK_BIN(find("btnBold")))), "Fett");
}

TEST_F(EditorAccessibilityTest, PaneKeysTakeTheFocusFromTheVisualViewToTheToolBarsAndBack) {
  GtkWidget* bars = find("CoolBar");
  ASSERT_TRUE(bars);
  const char* const keys[] = {"F6", "ctrl+Tab", "shift+F6", "ctrl+shift+Tab"};
  for (const char* key : keys) {
    SCOPED_TRACE(key);
    gtk_widget_grab_focus(visual());
    ASSERT_EQ(focus(), visual());
    press(key);
    EXPECT_TRUE(focusIn(bars)) << "moved before the engine sees the key";
    // From the tool bars, F6 goes straight back (the tool bar moves on
    // with Ctrl+Tab itself, bar by bar).
    press("F6");
    EXPECT_EQ(focus(), visual());
  }
}

TEST(PaneKeysTest, WhichKeysMoveBetweenPanes) {
  const auto none = static_cast<GdkModifierType>(0);
  const auto shift = GDK_SHIFT_MASK;
  const auto ctrl = GDK_CONTROL_MASK;
  const auto ctrlShift = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
  const auto alt = GDK_MOD1_MASK;
  const struct {
    guint keyval;
    GdkModifierType state;
    std::optional<PaneDirection> direction;
  } cases[] = {
      {GDK_KEY_F6, none, PaneDirection::Forward},
      {GDK_KEY_F6, shift, PaneDirection::Backward},
      {GDK_KEY_Tab, ctrl, PaneDirection::Forward},
      {GDK_KEY_ISO_Left_Tab, ctrlShift, PaneDirection::Backward},
      {GDK_KEY_F6, ctrl, std::nullopt},
      {GDK_KEY_Tab, none, std::nullopt},
      {GDK_KEY_ISO_Left_Tab, shift, std::nullopt},
      {GDK_KEY_Tab, alt, std::nullopt},
      {GDK_KEY_F5, none, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(gdk_keyval_name(c.keyval)) + " state " + std::to_string(c.state));
    EXPECT_EQ(paneKeyFor(c.keyval, c.state), c.direction);
  }
}

}  // namespace
}  // namespace pellora::gtk
