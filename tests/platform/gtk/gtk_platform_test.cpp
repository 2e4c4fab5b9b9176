// The GTK platform services: message boxes with the German captions and
// buttons, modal showing of forms with Enter, Escape and the frame, the
// clipboard and the wait cursor.
#include "platform/gtk/gtk_platform.h"

#include "editor/inserttable.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/message_box_gtk.h"
#include "settings/about.h"

namespace pellora::gtk::test {
namespace {

class GtkPlatformTest : public GtkTest {};

// The open message box: its title and button labels; then presses the
// button at `answer`.
struct SeenBox {
  std::string title;
  std::vector<std::string> buttons;
  GtkMessageType type = GTK_MESSAGE_OTHER;
};

void answerBox(SeenBox& seen, int answer) {
  GtkTest::whenShownHelper([&seen, answer] {
    GtkWindow* box = GtkTest::findWindowPublic("MessageBox");
    ASSERT_NE(box, nullptr);
    seen.title = gtk_window_get_title(box);
    g_object_get(box, "message-type", &seen.type, nullptr);
    for (int i = 0;; ++i) {
      GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), i);
      if (!button) break;
      seen.buttons.push_back(gtk_button_get_label(GTK_BUTTON(button)));
    }
    gtk_dialog_response(GTK_DIALOG(box), answer);
  });
}

TEST_F(GtkPlatformTest, MessageBoxesShowGermanCaptionsAndButtons) {
  struct Case {
    ui::MessageKind kind;
    std::vector<ui::MessageButton> buttons;
    int answer;
    const char* title;
    GtkMessageType type;
    std::vector<std::string> labels;
    ui::MessageButton expected;
  };
  const Case cases[] = {
      {ui::MessageKind::Warning,
       {ui::MessageButton::OK},
       0,
       "Warnung",
       GTK_MESSAGE_WARNING,
       {"OK"},
       ui::MessageButton::OK},
      {ui::MessageKind::Error,
       {ui::MessageButton::Abort},
       0,
       "Fehler",
       GTK_MESSAGE_ERROR,
       {"_Abbrechen"},
       ui::MessageButton::Abort},
      {ui::MessageKind::Information,
       {ui::MessageButton::OK},
       0,
       "Information",
       GTK_MESSAGE_INFO,
       {"OK"},
       ui::MessageButton::OK},
      {ui::MessageKind::Confirmation,
       {ui::MessageButton::Yes, ui::MessageButton::No, ui::MessageButton::Cancel},
       1,
       "Best\xC3\xA4tigung",
       GTK_MESSAGE_QUESTION,
       {"_Ja", "_Nein", "Abbrechen"},
       ui::MessageButton::No},
      // Closed by the frame: a box with Cancel answers Cancel.
      {ui::MessageKind::Confirmation,
       {ui::MessageButton::Yes, ui::MessageButton::Cancel},
       GTK_RESPONSE_DELETE_EVENT,
       "Best\xC3\xA4tigung",
       GTK_MESSAGE_QUESTION,
       {"_Ja", "Abbrechen"},
       ui::MessageButton::Cancel},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    answerBox(seen, c.answer);
    const ui::MessageButton chosen = platform().messageBoxes().show(c.kind, "Text \xE4", c.buttons);
    EXPECT_EQ(seen.title, c.title);
    EXPECT_EQ(seen.type, c.type);
    EXPECT_EQ(seen.buttons, c.labels);
    EXPECT_EQ(chosen, c.expected);
  }
}

TEST_F(GtkPlatformTest, MnemonicLabelsTranslateAccessKeys) {
  EXPECT_EQ(mnemonicLabel("&Ja"), "_Ja");
  EXPECT_EQ(mnemonicLabel("A&lle Ja"), "A_lle Ja");
  EXPECT_EQ(mnemonicLabel("R&&D_x"), "R&D__x");
}

TEST_F(GtkPlatformTest, ModalFormReturnsTheButtonsResultAndKeepsTheInput) {
  TTableForm form;
  int shows = 0;
  form.onShow = [&] { ++shows; };
  whenShownHelper([] {
    GtkWindow* window = findWindowPublic("TableFormWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(gtk_window_get_title(window), "Insert Table");
    EXPECT_TRUE(gtk_window_get_modal(window));
    GtkWidget* rows = findWidget(GTK_WIDGET(window), "edRows");
    gtk_entry_set_text(GTK_ENTRY(rows), "5");
    gtk_button_clicked(GTK_BUTTON(findWidget(GTK_WIDGET(window), "Button1")));
  });
  EXPECT_EQ(platform().showModal(form), ui::mrOk);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(form.edRows.text(), "5");
  EXPECT_EQ(findWindowPublic("TableFormWindow"), nullptr);
}

// Sends a key press to a window, as the keyboard would.
void pressKey(GtkWindow* window, guint keyval) {
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
  event->key.keyval = keyval;
  event->key.send_event = TRUE;
  gtk_widget_event(GTK_WIDGET(window), event);
  gdk_event_free(event);
}

TEST_F(GtkPlatformTest, EscapeAndTheFrameCancelEnterTakesTheDefault) {
  TTableForm form;
  whenShownHelper([] { pressKey(findWindowPublic("TableFormWindow"), GDK_KEY_Escape); });
  EXPECT_EQ(platform().showModal(form), ui::mrCancel);

  whenShownHelper([] {
    GtkWindow* window = findWindowPublic("TableFormWindow");
    gtk_widget_grab_focus(findWidget(GTK_WIDGET(window), "edCols"));
    pressKey(window, GDK_KEY_Return);
  });
  EXPECT_EQ(platform().showModal(form), ui::mrOk);

  whenShownHelper([] {
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    GtkWindow* window = findWindowPublic("TableFormWindow");
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
    gtk_main_do_event(event);
    gdk_event_free(event);
  });
  EXPECT_EQ(platform().showModal(form), ui::mrCancel);
}

TEST_F(GtkPlatformTest, AboutBoxIgnoresEscapeAndClosesWithItsButton) {
  TAboutForm about;
  whenShownHelper([] {
    GtkWindow* window = findWindowPublic("AboutFormWindow");
    pressKey(window, GDK_KEY_Escape);
    // Still open: the next step finds it and presses OK.
    whenShownHelper([] {
      GtkWindow* still = findWindowPublic("AboutFormWindow");
      ASSERT_NE(still, nullptr);
      gtk_button_clicked(GTK_BUTTON(findWidget(GTK_WIDGET(still), "Button1")));
    });
  });
  EXPECT_EQ(platform().showModal(about), ui::mrCancel);
}

TEST_F(GtkPlatformTest, ClipboardCarriesWindows1252TextAndCursorFollows) {
  platform().setText(
      "Gr\xFC\xDF"
      "e \x80");
  EXPECT_EQ(platform().text(), std::optional<std::string>("Gr\xFC\xDF"
                                                          "e \x80"));
  platform().setCursor(ui::CursorShape::HourGlass);
  EXPECT_EQ(platform().cursor().cursor(), ui::CursorShape::HourGlass);
  platform().setCursor(ui::CursorShape::Default);
  EXPECT_EQ(platform().cursor().cursor(), ui::CursorShape::Default);
}

}  // namespace
}  // namespace pellora::gtk::test
