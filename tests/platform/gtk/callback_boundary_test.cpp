// Failures and re-entry at the border between GTK and the model: a handler
// that throws ends in the error box and the editor keeps working, a command
// started while the visual surface awaits a script result is refused, and a
// modal form leaves nothing behind however its showing ends.
#include "platform/gtk/callback_boundary.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/webkit_surface.h"
#include "support/run_until.h"

namespace pellora::gtk::test {
namespace {

// The message boxes that opened, each answered with its first button.
struct SeenBoxes {
  struct Box {
    std::string title;
    std::string text;
    std::vector<std::string> buttons;
  };
  std::vector<Box> boxes;

  // Answers the next box; a step that finds none records nothing.
  void answerNext() {
    GtkTest::whenShownHelper([this] {
      GtkWindow* window = GtkTest::findWindowPublic("MessageBox");
      if (!window) return;
      Box box;
      box.title = gtk_window_get_title(window);
      gchar* text = nullptr;
      g_object_get(window, "text", &text, nullptr);
      box.text = text ? text : "";
      g_free(text);
      for (int i = 0;; ++i) {
        GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(window), i);
        if (!button) break;
        box.buttons.push_back(gtk_button_get_label(GTK_BUTTON(button)));
      }
      boxes.push_back(box);
      gtk_dialog_response(GTK_DIALOG(window), 0);
    });
  }
};

void drainEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Clicks a tool button as the user does: GTK flips the toggle, the binding
// hands the click to the model.
void clickToggle(GtkWidget* button) {
  auto* toggle = GTK_TOGGLE_TOOL_BUTTON(button);
  gtk_toggle_tool_button_set_active(toggle, !gtk_toggle_tool_button_get_active(toggle));
}

class CallbackBoundaryTest : public GtkTest {};

TEST_F(CallbackBoundaryTest, ThrowingHandlerOfARealButtonEndsInTheErrorBoxAndTheNextClickWorks) {
  TMainForm form;
  FormBinding binding(form, {[](ui::Control&) { return gtk_label_new("surface"); }});
  form.DocumentReady = true;
  lastSurface->failures[ui::DECMD_BOLD] = "editing surface: the engine went away";
  GtkWidget* bold = binding.widgetFor("btnBold");
  ASSERT_TRUE(GTK_IS_TOGGLE_TOOL_BUTTON(bold));

  SeenBoxes seen;
  seen.answerNext();
  clickToggle(bold);
  ASSERT_EQ(seen.boxes.size(), 1u);
  EXPECT_EQ(seen.boxes[0].title, "Fehler");
  EXPECT_EQ(seen.boxes[0].text, "editing surface: the engine went away");
  EXPECT_EQ(seen.boxes[0].buttons, std::vector<std::string>{"OK"});
  // The toggle shows the model's state, whatever the failed handler left.
  EXPECT_EQ(gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(bold)), form.btnBold.down());

  // The editor is still there and the same button works.
  lastSurface->failures.clear();
  lastSurface->executed.clear();
  seen.answerNext();
  clickToggle(bold);
  drainEvents();
  EXPECT_EQ(seen.boxes.size(), 1u);
  ASSERT_EQ(lastSurface->executed.size(), 1u);
  EXPECT_EQ(lastSurface->executed[0].id, ui::DECMD_BOLD);
}

TEST_F(CallbackBoundaryTest, FailuresOfEveryKindOfInputAreReportedAndTheWidgetsKeepTheModel) {
  TMainForm form;
  FormBinding binding(form, {[](ui::Control&) { return gtk_label_new("surface"); }});
  form.cmbStyles.setItems({"Heading 1", "Normal"});
  form.cmbStyles.setItemIndex(1);
  form.cmbStyles.onChange = [] { throw std::runtime_error("style failed"); };
  form.PageControl.onChanging = [] { throw std::runtime_error("switch failed"); };
  form.btnAbout.onClick = [] { throw 42; };
  GtkWidget* styles = binding.widgetFor("cmbStyles");
  GtkWidget* pages = binding.widgetFor("PageControl");

  struct Case {
    const char* what;
    std::function<void()> act;
    const char* text;
  };
  const Case cases[] = {
      {"a chosen style", [&] { gtk_combo_box_set_active(GTK_COMBO_BOX(styles), 0); },
       "style failed"},
      {"a page switch", [&] { gtk_notebook_set_current_page(GTK_NOTEBOOK(pages), 1); },
       "switch failed"},
      {"a failure that is no exception class",
       [&] { g_signal_emit_by_name(binding.widgetFor("btnAbout"), "clicked"); },
       "An unexpected failure occurred."},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    SeenBoxes seen;
    seen.answerNext();
    test.act();
    ASSERT_EQ(seen.boxes.size(), 1u);
    EXPECT_EQ(seen.boxes[0].title, "Fehler");
    EXPECT_EQ(seen.boxes[0].text, test.text);
  }
  // A failed page switch leaves the notebook on the model's page.
  EXPECT_EQ(form.PageControl.activePageIndex(), 0);
  EXPECT_EQ(gtk_notebook_get_current_page(GTK_NOTEBOOK(pages)), 0);
  // The model took the style before its handler failed; the list shows it.
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(styles)), form.cmbStyles.itemIndex());
}

TEST_F(CallbackBoundaryTest, ShowModalLeavesNothingBehindWhenItsShowHandlerThrows) {
  GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(owner, "Owner");
  gtk_widget_show(owner);
  TTableForm form;
  form.onShow = [] { throw std::runtime_error("show failed"); };

  EXPECT_THROW(platform().showModal(form), std::runtime_error);
  EXPECT_EQ(findWindowPublic("TableFormWindow"), nullptr);
  EXPECT_EQ(gtk_grab_get_current(), nullptr);
  // Boxes and dialogs stand over the owner again, not over the dead dialog.
  EXPECT_EQ(platform().ownerWindow(), GTK_WINDOW(owner));
  EXPECT_TRUE(form.closeRequested.empty());

  // The same form shows again and closes normally.
  form.onShow = nullptr;
  whenShownHelper([] {
    GtkWindow* window = findWindowPublic("TableFormWindow");
    ASSERT_NE(window, nullptr);
    gtk_button_clicked(GTK_BUTTON(findWidget(GTK_WIDGET(window), "Button1")));
  });
  EXPECT_EQ(platform().showModal(form), ui::mrOk);
  EXPECT_EQ(gtk_grab_get_current(), nullptr);
  gtk_widget_destroy(owner);
}

TEST_F(CallbackBoundaryTest, HandlerThrowingInsideAModalFormIsReportedAndTheFormStillCloses) {
  TTableForm form;
  form.edRows.onChange = [] { throw std::runtime_error("rows failed"); };
  SeenBoxes seen;
  whenShownHelper([&seen] {
    GtkWindow* window = findWindowPublic("TableFormWindow");
    ASSERT_NE(window, nullptr);
    seen.answerNext();
    gtk_entry_set_text(GTK_ENTRY(findWidget(GTK_WIDGET(window), "edRows")), "5");
    // The box is answered; the dialog is still open and takes its button.
    ASSERT_NE(findWindowPublic("TableFormWindow"), nullptr);
    gtk_button_clicked(GTK_BUTTON(findWidget(GTK_WIDGET(window), "Button1")));
  });
  EXPECT_EQ(platform().showModal(form), ui::mrOk);
  ASSERT_EQ(seen.boxes.size(), 1u);
  EXPECT_EQ(seen.boxes[0].text, "rows failed");
  EXPECT_EQ(form.edRows.text(), "5");
  EXPECT_EQ(findWindowPublic("TableFormWindow"), nullptr);
  EXPECT_EQ(gtk_grab_get_current(), nullptr);
}

// The editor on the real WebKit surface, bound to real widgets.
class ScriptReentryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // As for the surface's own tests: no GL on a virtual display, no
    // sandbox as root in a container.
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
    g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
    if (!GtkPlatform::initialise()) GTK_SKIP();
    resetEditingContextForTesting();
    platform_ = std::make_unique<GtkPlatform>();
    ui::setPlatform(platform_.get());
    form_ = std::make_unique<TMainForm>();
    surface_ = dynamic_cast<WebKitEditingSurface*>(&form_->DHTMLEdit());
    ASSERT_NE(surface_, nullptr);
    FormBinding::Hooks hooks;
    hooks.visualEditor = [this](ui::Control&) { return surface_->widget(); };
    binding_ = std::make_unique<FormBinding>(*form_, std::move(hooks));
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 640, 400);
    gtk_container_add(GTK_CONTAINER(window_), binding_->widget());
    gtk_widget_show_all(window_);
  }

  void TearDown() override {
    if (window_) {
      // The surface keeps its widget, and the binding lets go of its
      // widgets before they die with the window.
      GtkWidget* visual = surface_->widget();
      if (GtkWidget* parent = gtk_widget_get_parent(visual))
        gtk_container_remove(GTK_CONTAINER(parent), visual);
      binding_.reset();
      gtk_widget_destroy(window_);
    }
    form_.reset();
    ui::setPlatform(nullptr);
    platform_.reset();
    drainEvents();
  }

  void load(const std::string& body) {
    form_->DocumentReady = false;
    surface_->setDocumentHTML(wrapInDocumentTemplate(body));
    pellora::test::runUntil([this] { return form_->DocumentReady; });
  }

  std::string eval(const std::string& script) { return surface_->evaluateForTesting(script); }

  std::unique_ptr<GtkPlatform> platform_;
  std::unique_ptr<TMainForm> form_;
  WebKitEditingSurface* surface_ = nullptr;
  std::unique_ptr<FormBinding> binding_;
  GtkWidget* window_ = nullptr;
};

TEST_F(ScriptReentryTest, SecondClickWhileAScriptResultIsAwaitedIsRefusedWithoutAFailure) {
  load("<p>word and more</p>");
  ASSERT_EQ("true", eval("(function(){const t=document.body.querySelector('p').firstChild;"
                         "const r=document.createRange();r.setStart(t,0);r.setEnd(t,4);"
                         "const s=getSelection();s.removeAllRanges();s.addRange(r);"
                         "return true;})()"));
  GtkWidget* bold = binding_->widgetFor("btnBold");
  GtkWidget* italic = binding_->widgetFor("btnItalic");

  // The first click waits for the page's answer on a nested loop; the
  // second arrives inside that wait, before any other event.
  struct SecondClick {
    GtkWidget* button;
    bool awaited = false;
  } second{italic};
  g_idle_add_full(
      G_PRIORITY_HIGH,
      [](gpointer data) -> gboolean {
        auto* click = static_cast<SecondClick*>(data);
        click->awaited = scriptResultAwaited();
        clickToggle(click->button);
        return G_SOURCE_REMOVE;
      },
      &second, nullptr);
  SeenBoxes seen;
  seen.answerNext();
  clickToggle(bold);
  drainEvents();

  EXPECT_TRUE(second.awaited);
  EXPECT_FALSE(scriptResultAwaited());
  ASSERT_TRUE(seen.boxes.empty()) << seen.boxes.front().text;
  const std::string afterFirst = surface_->DOM()->bodyInnerHTML();
  EXPECT_NE(afterFirst.find("<b>word</b>"), std::string::npos) << afterFirst;
  EXPECT_EQ(afterFirst.find("<i>"), std::string::npos) << afterFirst;
  EXPECT_FALSE(form_->btnItalic.down());
  EXPECT_FALSE(gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(italic)));

  // Outside the wait the same button works.
  clickToggle(italic);
  drainEvents();
  EXPECT_NE(surface_->DOM()->bodyInnerHTML().find("<i>"), std::string::npos);
}

}  // namespace
}  // namespace pellora::gtk::test
