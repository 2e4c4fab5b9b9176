// The keys the visual view acts on itself: which key means what, and what
// they do to a real WebKit surface that no editor drives (the surface then
// runs the tool bar's commands itself). Pasting as plain text is left to the
// host journeys: the display's clipboard is shared with every test that
// runs beside this one.
#include "platform/gtk/surface_keys.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/gtk/key_stroke.h"
#include "platform/gtk/surface_window_fixture.h"

namespace pellora::gtk {
namespace {

constexpr auto kNone = static_cast<GdkModifierType>(0);
constexpr auto kCtrl = GDK_CONTROL_MASK;
constexpr auto kCtrlShift = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
constexpr auto kCtrlAlt = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_MOD1_MASK);
// Num Lock and Caps Lock held.
constexpr auto kCtrlLocks =
    static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_MOD2_MASK | GDK_LOCK_MASK);

TEST(SurfaceKeysTest, KeysAndTheirActions) {
  const struct {
    guint keyval;
    GdkModifierType state;
    std::optional<SurfaceKey> action;
  } cases[] = {
      {GDK_KEY_z, kCtrl, SurfaceKey::Undo},
      {GDK_KEY_Z, kCtrlShift, SurfaceKey::Redo},
      {GDK_KEY_z, kCtrlShift, SurfaceKey::Redo},
      {GDK_KEY_y, kCtrl, SurfaceKey::Redo},
      {GDK_KEY_b, kCtrl, SurfaceKey::Bold},
      {GDK_KEY_i, kCtrl, SurfaceKey::Italic},
      {GDK_KEY_u, kCtrl, SurfaceKey::Underline},
      {GDK_KEY_k, kCtrl, SurfaceKey::Hyperlink},
      {GDK_KEY_V, kCtrlShift, SurfaceKey::PastePlainText},
      {GDK_KEY_b, kCtrlLocks, SurfaceKey::Bold},
      // Left to the engine (and, unhandled, to the host).
      {GDK_KEY_v, kCtrl, std::nullopt},
      {GDK_KEY_a, kCtrl, std::nullopt},
      {GDK_KEY_c, kCtrl, std::nullopt},
      {GDK_KEY_z, kNone, std::nullopt},
      {GDK_KEY_z, kCtrlAlt, std::nullopt},
      {GDK_KEY_Y, kCtrlShift, std::nullopt},
      {GDK_KEY_B, kCtrlShift, std::nullopt},
      {GDK_KEY_e, kCtrl, std::nullopt},
      {GDK_KEY_Tab, kCtrl, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(gdk_keyval_name(c.keyval)) + " state " + std::to_string(c.state));
    EXPECT_EQ(surfaceKeyFor(c.keyval, c.state), c.action);
  }
}

class SurfaceKeysOnWebKitTest : public engine_test::SurfaceWindowTest {
 protected:
  void press(const std::string& combo) {
    const auto stroke = parseKeyStroke(combo);
    ASSERT_TRUE(stroke);
    ASSERT_TRUE(sendKeyStroke(surface_->widget(), *stroke));
  }
};

TEST_F(SurfaceKeysOnWebKitTest, UndoTakesBackOurOwnTableStepsAndTheEnginesEdits) {
  const std::string table = "<table><tbody><tr><td>a</td></tr></tbody></table>";
  load(table);
  selectText("a");
  surface_->ExecCommand(ui::DECMD_INSERTROW, ui::OLECMDEXECOPT_DODEFAULT, {});
  ASSERT_EQ(eval("document.body.querySelectorAll('tr').length"), "2");
  press("ctrl+z");
  EXPECT_EQ(body(), table) << "the row, which the engine does not know, is taken back";
  selectText("a");
  surface_->ExecCommand(ui::DECMD_BOLD, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
  const std::string bold = "<table><tbody><tr><td><b>a</b></td></tr></tbody></table>";
  ASSERT_EQ(body(), bold);
  press("ctrl+z");
  EXPECT_EQ(body(), table);
  press("ctrl+y");
  EXPECT_EQ(body(), bold);
  press("ctrl+z");
  press("ctrl+shift+z");
  EXPECT_EQ(body(), bold);
}

TEST_F(SurfaceKeysOnWebKitTest, FormattingKeysWithoutAnEditorRunTheCommandsThemselves) {
  const struct {
    const char* combo;
    const char* tag;
  } cases[] = {{"ctrl+b", "b"}, {"ctrl+i", "i"}, {"ctrl+u", "u"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.combo);
    load("<p>Hallo Welt</p>");
    selectText("Welt");
    press(c.combo);
    EXPECT_EQ(body(), std::string("<p>Hallo <") + c.tag + ">Welt</" + c.tag + "></p>");
  }
}

}  // namespace
}  // namespace pellora::gtk
