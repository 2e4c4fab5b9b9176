// The control's window on GTK reports the container's own events to the
// host's event sink: real GDK events on the control's widget, a sink
// connected through the connection point, as a host page connects it.
#include "platform/gtk/control_events.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "control/application.h"
#include "control/ax_impl.h"
#include "control/class_factory.h"
#include "control/com_test_support.h"
#include "control/window_interface.h"
#include "exchange/editing_context.h"
#include "platform/gtk/fake_widget_surface.h"
#include "platform/gtk/gtk_platform.h"
#include "support/fake_platform.h"
#include "ui/services.h"

namespace pellora::gtk {
namespace {

using pellora::test::RecordingSink;

struct EventFree {
  void operator()(GdkEvent* event) const { gdk_event_free(event); }
};
using EventPtr = std::unique_ptr<GdkEvent, EventFree>;

GdkSeat* seatOf(GtkWidget* widget) {
  return gdk_display_get_default_seat(gtk_widget_get_display(widget));
}

// A left-button event on the window of `widget`, delivered as the main loop
// delivers one from the display.
void sendButton(GtkWidget* widget, GdkEventType type, double x, double y) {
  EventPtr event(gdk_event_new(type));
  event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
  event->button.send_event = TRUE;
  event->button.time = GDK_CURRENT_TIME;
  event->button.button = GDK_BUTTON_PRIMARY;
  event->button.x = x;
  event->button.y = y;
  gdk_event_set_device(event.get(), gdk_seat_get_pointer(seatOf(widget)));
  gtk_main_do_event(event.get());
}

void click(GtkWidget* widget, double x, double y) {
  sendButton(widget, GDK_BUTTON_PRESS, x, y);
  sendButton(widget, GDK_BUTTON_RELEASE, x, y);
}

// A key press on `toplevel`, which hands it to its focus widget.
void sendKey(GtkWidget* toplevel, guint keyval) {
  EventPtr event(gdk_event_new(GDK_KEY_PRESS));
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
  event->key.send_event = TRUE;
  event->key.time = GDK_CURRENT_TIME;
  event->key.keyval = keyval;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(
          gdk_keymap_get_for_display(gtk_widget_get_display(toplevel)), keyval, &keys, &count) &&
      count > 0) {
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  }
  g_free(keys);
  gdk_event_set_device(event.get(), gdk_seat_get_keyboard(seatOf(toplevel)));
  gtk_main_do_event(event.get());
}

std::vector<DISPID> withoutPaints(const std::vector<DISPID>& events) {
  std::vector<DISPID> out;
  std::copy_if(events.begin(), events.end(), std::back_inserter(out),
               [](DISPID id) { return id != DISPID_OnPaint; });
  return out;
}

class ControlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GtkPlatform::initialise()) GTEST_SKIP() << "no display";
    // The visual view's stand-in: a focusable widget that types nothing,
    // so keys it leaves alone reach the container.
    platform_ = std::make_unique<GtkPlatform>([this] {
      standIn = gtk_button_new_with_label("visual view");
      return std::make_unique<test::FakeWidgetSurface>(standIn);
    });
    ui::setPlatform(platform_.get());
    resetEditingContextForTesting();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_axEdit, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPellora, reinterpret_cast<void**>(&control)),
              S_OK);
    factory->Release();
  }
  void TearDown() override {
    if (window) gtk_widget_destroy(window);
    if (control) control->Release();
    application() = {};
    if (platform_) {
      ui::setPlatform(nullptr);
      platform_.reset();
      while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    }
    EXPECT_EQ(canUnloadNow(), S_OK);
  }

  // Connects `sink` to the control's events, as a host page does.
  void connect(RecordingSink& sink) {
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer,
                                      reinterpret_cast<void**>(&container)),
              S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID_IPelloraEvents, &point), S_OK);
    std::uint32_t cookie = 0;
    EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
    point->Release();
    container->Release();
  }

  // Shows the control's widget in a host window, beside a field of the
  // host's own; returns the control's widget.
  GtkWidget* showInHostWindow() {
    IPelloraWindow* tearOff = nullptr;
    EXPECT_EQ(control->QueryInterface(IID_IPelloraWindow, reinterpret_cast<void**>(&tearOff)),
              S_OK);
    void* widget = nullptr;
    EXPECT_EQ(tearOff->GetWindow(&widget), S_OK);
    tearOff->Release();
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    hostField = gtk_entry_new();
    gtk_box_pack_start(GTK_BOX(page), GTK_WIDGET(widget), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(page), hostField, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), page);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(hostField);
    return GTK_WIDGET(widget);
  }

  std::unique_ptr<GtkPlatform> platform_;
  IPellora* control = nullptr;
  GtkWidget* window = nullptr;
  GtkWidget* hostField = nullptr;
  GtkWidget* standIn = nullptr;
  // Outlives the control, which holds it until it goes.
  RecordingSink sink{DIID_IPelloraEvents};
};

TEST_F(ControlEventsTest, AHostSinkRecordsFocusClicksKeysPaintAndDestruction) {
  connect(sink);
  GtkWidget* widget = showInHostWindow();
  ASSERT_TRUE(gtk_widget_get_realized(widget));
  sink.received.clear();

  ASSERT_TRUE(standIn && gtk_widget_is_ancestor(standIn, widget));
  gtk_widget_grab_focus(standIn);
  ASSERT_TRUE(gtk_widget_is_focus(standIn));
  VARIANT_BOOL active = VARIANT_FALSE;
  EXPECT_EQ(control->get_Active(&active), S_OK);
  EXPECT_EQ(active, VARIANT_TRUE) << "focus inside activates the form";

  click(widget, 5, 5);
  // A press that ends outside the control is no click.
  sendButton(widget, GDK_BUTTON_PRESS, 5, 5);
  sendButton(widget, GDK_BUTTON_RELEASE, gtk_widget_get_allocated_width(widget) + 40, 5);
  // A double click: press, release, press, double press, release.
  click(widget, 6, 6);
  sendButton(widget, GDK_BUTTON_PRESS, 6, 6);
  sendButton(widget, GDK_2BUTTON_PRESS, 6, 6);
  sendButton(widget, GDK_BUTTON_RELEASE, 6, 6);

  sink.onKeyPress = [](std::int16_t key) { return key; };
  sendKey(window, GDK_KEY_a);
  sendKey(window, GDK_KEY_adiaeresis);
  sendKey(window, GDK_KEY_F5);  // no character

  // Laid out first, as before any frame: the form may still have a resize
  // queued from being shown.
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  const std::size_t paintsBefore = sink.received.size() - withoutPaints(sink.received).size();
  {
    auto* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 50, 50);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  const std::size_t paintsAfter = sink.received.size() - withoutPaints(sink.received).size();
  EXPECT_GT(paintsAfter, paintsBefore) << "drawing the window is a paint";

  gtk_widget_grab_focus(hostField);
  EXPECT_EQ(control->get_Active(&active), S_OK);
  EXPECT_EQ(active, VARIANT_FALSE);

  EXPECT_EQ(
      withoutPaints(sink.received),
      (std::vector<DISPID>{DISPID_OnActivate, DISPID_OnClick, DISPID_OnClick, DISPID_OnDblClick,
                           DISPID_OnKeyPress, DISPID_OnKeyPress, DISPID_OnDeactivate}));
  EXPECT_EQ(sink.keysSeen, (std::vector<std::int16_t>{0x61, 0xE4}))
      << "the character's Windows-1252 code";

  // The host lets go of the control with its sink still connected: the
  // form's destruction is the last event, then the sink is released.
  sink.received.clear();
  control->Release();
  control = nullptr;
  application() = {};
  EXPECT_EQ(sink.received, (std::vector<DISPID>{DISPID_OnDestroy}));
  EXPECT_EQ(sink.refs, 1u) << "the sink was let go";

  // The host still shows the widget; it stays silent now.
  click(widget, 5, 5);
  sendKey(window, GDK_KEY_b);
  EXPECT_EQ(sink.received, (std::vector<DISPID>{DISPID_OnDestroy}));
}

TEST_F(ControlEventsTest, WithoutASinkTheWindowStillWorks) {
  GtkWidget* widget = showInHostWindow();
  ASSERT_TRUE(standIn && gtk_widget_is_ancestor(standIn, widget));
  gtk_widget_grab_focus(standIn);
  click(widget, 5, 5);
  sendKey(window, GDK_KEY_a);
  VARIANT_BOOL active = VARIANT_FALSE;
  EXPECT_EQ(control->get_Active(&active), S_OK);
  EXPECT_EQ(active, VARIANT_TRUE);
}

struct KeyCase {
  const char* name;
  guint keyval;
  guint state;
  std::optional<char> expected;
};

const KeyCase kKeys[] = {
    {"letter", GDK_KEY_a, 0, 'a'},
    {"shifted letter", GDK_KEY_A, GDK_SHIFT_MASK, 'A'},
    {"umlaut", GDK_KEY_adiaeresis, 0, '\xE4'},
    {"euro sign", GDK_KEY_EuroSign, 0, '\x80'},
    {"keypad digit", GDK_KEY_KP_1, GDK_MOD2_MASK, '1'},
    {"backspace", GDK_KEY_BackSpace, 0, '\x08'},
    {"tab", GDK_KEY_Tab, 0, '\t'},
    {"enter", GDK_KEY_Return, 0, '\r'},
    {"keypad enter", GDK_KEY_KP_Enter, 0, '\r'},
    {"escape", GDK_KEY_Escape, 0, '\x1B'},
    {"control letter", GDK_KEY_b, GDK_CONTROL_MASK, '\x02'},
    {"control digit", GDK_KEY_1, GDK_CONTROL_MASK, std::nullopt},
    {"alt letter", GDK_KEY_a, GDK_MOD1_MASK, std::nullopt},
    {"delete", GDK_KEY_Delete, 0, std::nullopt},
    {"function key", GDK_KEY_F1, 0, std::nullopt},
    {"arrow", GDK_KEY_Left, 0, std::nullopt},
    {"not in Windows-1252", GDK_KEY_lstroke, 0, std::nullopt},
};

TEST(TypedCharacterTest, KeysTypeTheirWindows1252Character) {
  for (const KeyCase& row : kKeys) {
    SCOPED_TRACE(row.name);
    GdkEventKey event{};
    event.type = GDK_KEY_PRESS;
    event.keyval = row.keyval;
    event.state = row.state;
    EXPECT_EQ(typedCharacter(event), row.expected);
  }
}

}  // namespace
}  // namespace pellora::gtk
