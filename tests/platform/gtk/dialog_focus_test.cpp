// The dialogs' keyboard focus on screen: each opens on the first control of
// its tab order, and Tab and Shift+Tab walk its controls in that order,
// into group boxes, around and back.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/inserttable.h"
#include "platform/gtk/binding/binder.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/key_stroke.h"
#include "settings/options.h"
#include "support/fake_platform.h"

namespace pellora::gtk::test {
namespace {

class DialogFocusTest : public GtkTest {};

// Makes `window` the active one, as the user's is when he types: only there
// does a focused button know it has the focus. A display without a window
// manager may not have done so yet.
void activate(GtkWindow* window) {
  std::unique_ptr<GdkEvent, decltype(&gdk_event_free)> in(gdk_event_new(GDK_FOCUS_CHANGE),
                                                          &gdk_event_free);
  in->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
  in->focus_change.in = TRUE;
  gtk_widget_send_focus_change(GTK_WIDGET(window), in.get());
}

// The control whose widget has the focus (a list's inner button counts as
// the list).
std::string focused(GtkWindow* window) {
  for (GtkWidget* w = gtk_window_get_focus(window); w; w = gtk_widget_get_parent(w)) {
    if (const binding::Binder* bound = binding::Binder::of(w)) return bound->control().name();
  }
  return "<none>";
}

std::string pressTab(GtkWindow* window, GdkModifierType mods) {
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE})
    sendKeyEvent(GTK_WIDGET(window), {GDK_KEY_Tab, mods}, type);
  return focused(window);
}

TEST_F(DialogFocusTest, DialogsOpenOnTheirFirstTabStopAndTabWalksTheTabOrder) {
  if (IsSkipped()) return;
  pellora::test::ScopedRegistryDir registry;
  ui::Form main("MainForm"), tableForm("TableForm"), upload("UploadForm"), about("AboutForm");
  const struct {
    std::function<std::unique_ptr<ui::Form>()> make;
    std::vector<std::string> order;  // from the first focus on
  } cases[] = {
      {[] { return std::make_unique<TTableForm>(); },
       {"edRows", "edCols", "edPadding", "edSpacing", "edWidth", "cmbUnit", "edBorder", "Button1",
        "Button2"}},
      // The buttons stand below the groups, yet come first; "Deutsch" is
      // the language group's other choice, not a stop of its own.
      {[&] {
         auto form = std::make_unique<TOptionsForm>(
             settings::RegistryStore::forProcess(),
             TOptionsForm::OtherForms{main, tableForm, upload, about});
         form->cbProxy.setChecked(true);
         return form;
       },
       {"Button1", "Button2", "cbProxy", "edProxy", "edPort", "rbEN"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order.front());
    const auto form = c.make();
    std::vector<std::string> seen, back;
    whenShownHelper([&] {
      if (GtkWindow* window = findWindowPublic(form->name() + "Window")) {
        activate(window);
        seen.push_back(focused(window));
        for (std::size_t i = 1; i < c.order.size(); ++i)
          seen.push_back(pressTab(window, GdkModifierType(0)));
        seen.push_back(pressTab(window, GdkModifierType(0)));  // around to the first
        for (std::size_t i = 1; i < c.order.size(); ++i)
          back.push_back(pressTab(window, GDK_SHIFT_MASK));
      }
      form->closeModal(ui::mrCancel);
    });
    platform().showModal(*form);
    std::vector<std::string> expected = c.order;
    expected.push_back(c.order.front());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(back, std::vector<std::string>(c.order.rbegin(), c.order.rend() - 1));
  }
}

}  // namespace
}  // namespace pellora::gtk::test
