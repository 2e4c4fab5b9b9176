// The dialogs on screen at their design sizes and positions (pixels at
// 96 dpi, on a display of scale 1), with disabled fields in their colours.
#include <functional>
#include <string>
#include <vector>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "images/upload_form.h"
#include "platform/gtk/gtk_fixture.h"
#include "settings/about.h"
#include "settings/lang.h"
#include "settings/options.h"
#include "support/fake_platform.h"

namespace pellora::gtk::test {
namespace {

class DialogLayoutTest : public GtkTest {
 protected:
  // Colours are read as drawn, not halfway through the theme's transitions.
  void SetUp() override {
    GtkTest::SetUp();
    if (IsSkipped()) return;
    g_object_get(gtk_settings_get_default(), "gtk-enable-animations", &animations_, nullptr);
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
  }
  void TearDown() override {
    if (GtkSettings* settings = gtk_settings_get_default())
      g_object_set(settings, "gtk-enable-animations", animations_, nullptr);
    GtkTest::TearDown();
  }
  gboolean animations_ = TRUE;

  // Shows `form` modally; once its window is laid out, runs `inspect` on
  // the client area, then closes the form.
  void inspectShown(ui::Form& form, std::function<void(GtkWidget*)> inspect) {
    struct Probe {
      ui::Form* form;
      std::function<void(GtkWidget*)> inspect;
    } probe{&form, std::move(inspect)};
    const std::string windowName = form.name() + "Window";
    auto* state = new std::pair<Probe*, std::string>(&probe, windowName);
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer data) -> gboolean {
          auto* s = static_cast<std::pair<Probe*, std::string>*>(data);
          GtkWindow* window = findWindowPublic(s->second);
          GtkWidget* client = window ? gtk_bin_get_child(GTK_BIN(window)) : nullptr;
          if (!client || !gtk_widget_get_mapped(client) ||
              gtk_widget_get_allocated_width(client) <= 1) {
            return G_SOURCE_CONTINUE;
          }
          s->first->inspect(client);
          s->first->form->closeModal(ui::mrCancel);
          return G_SOURCE_REMOVE;
        },
        state, [](gpointer data) { delete static_cast<std::pair<Probe*, std::string>*>(data); });
    platform().showModal(form);
  }

  struct Place {
    const char* name;
    int left, top, width, height;
  };

  static GtkWidget* named(GtkWidget* client, const char* name) {
    GtkWidget* widget = findWidget(client, name);
    EXPECT_NE(nullptr, widget) << name;
    return widget;
  }

  static ui::Bounds boundsOf(GtkWidget* client, GtkWidget* widget) {
    int x = -1, y = -1;
    gtk_widget_translate_coordinates(widget, client, 0, 0, &x, &y);
    return {x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
  }

  // Controls at their design bounds exactly. Labels size themselves to
  // their text, whose width depends on the desktop's fonts, so for them
  // only the corner is checked, and that they overlap no other control.
  static void expectPlaces(GtkWidget* client, const std::vector<Place>& places) {
    std::vector<ui::Bounds> labels, fields;
    for (const Place& p : places) {
      SCOPED_TRACE(p.name);
      GtkWidget* widget = named(client, p.name);
      if (!widget) continue;
      const ui::Bounds b = boundsOf(client, widget);
      EXPECT_EQ(p.left, b.left);
      EXPECT_EQ(p.top, b.top);
      if (GTK_IS_LABEL(widget)) {
        labels.push_back(b);
        continue;
      }
      EXPECT_EQ(p.width, b.width);
      EXPECT_EQ(p.height, b.height);
      if (!GTK_IS_FRAME(widget)) fields.push_back(b);
    }
    for (const ui::Bounds& label : labels) {
      for (const ui::Bounds& field : fields) {
        const bool apart =
            label.left + label.width <= field.left || field.left + field.width <= label.left ||
            label.top + label.height <= field.top || field.top + field.height <= label.top;
        EXPECT_TRUE(apart) << "a label at " << label.left << "," << label.top << " (" << label.width
                           << " x " << label.height << ") overlaps the control at " << field.left
                           << "," << field.top;
      }
    }
  }

  // The visible labels under `root`, and its other visible controls that
  // hold no others (fields, buttons, check boxes).
  static void collectLeaves(GtkWidget* root, std::vector<GtkWidget*>& labels,
                            std::vector<GtkWidget*>& others) {
    if (!gtk_widget_get_visible(root)) return;
    if (GTK_IS_LABEL(root)) {
      // A button's own caption is part of the button.
      GtkWidget* parent = gtk_widget_get_parent(root);
      if (!GTK_IS_BUTTON(parent)) labels.push_back(root);
      return;
    }
    const bool holder = GTK_IS_FIXED(root) || GTK_IS_FRAME(root) || GTK_IS_BOX(root) ||
                        GTK_IS_GRID(root) || GTK_IS_EVENT_BOX(root) || GTK_IS_NOTEBOOK(root) ||
                        GTK_IS_SCROLLED_WINDOW(root) || GTK_IS_VIEWPORT(root) ||
                        GTK_IS_LIST_BOX(root) || GTK_IS_LIST_BOX_ROW(root);
    if (!holder && gtk_widget_get_allocated_width(root) > 1) {
      others.push_back(root);
      return;
    }
    if (!GTK_IS_CONTAINER(root)) return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    for (GList* child = children; child; child = child->next) {
      collectLeaves(GTK_WIDGET(child->data), labels, others);
    }
    g_list_free(children);
  }

  static void drainEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  static GdkRGBA background(GtkWidget* widget) {
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(context, gtk_style_context_get_state(context), "background-color",
                          &colour, nullptr);
    GdkRGBA value = *colour;
    gdk_rgba_free(colour);
    return value;
  }

  static GdkRGBA themeColour(GtkWidget* widget, const char* name) {
    GdkRGBA colour{};
    EXPECT_TRUE(
        gtk_style_context_lookup_color(gtk_widget_get_style_context(widget), name, &colour));
    return colour;
  }
};

TEST_F(DialogLayoutTest, SettingsDialogStandsAsDesigned) {
  pellora::test::ScopedRegistryDir registry;
  ui::Form main("MainForm"), table("TableForm"), upload("UploadForm"), about("AboutForm");
  TOptionsForm form(settings::RegistryStore::forProcess(), {main, table, upload, about});
  bool inspected = false;
  inspectShown(form, [&](GtkWidget* client) {
    inspected = true;
    EXPECT_EQ(281, gtk_widget_get_allocated_width(client));
    EXPECT_EQ(244, gtk_widget_get_allocated_height(client));
    // Inside the groups, positions count from the group's corner.
    expectPlaces(client, {
                             {"Button1", 51, 200, 75, 25},
                             {"Button2", 155, 200, 75, 25},
                             {"GroupBox1", 8, 8, 265, 97},
                             {"cbProxy", 8 + 8, 8 + 24, 161, 17},
                             {"edProxy", 8 + 56, 8 + 56, 121, 21},
                             {"edPort", 8 + 210, 8 + 56, 41, 21},
                             {"lblProxy", 8 + 8, 8 + 58, 0, 0},
                             {"lblPort", 8 + 184, 8 + 58, 0, 0},
                             {"GroupBox2", 8, 120, 265, 57},
                             {"rbEN", 8 + 16, 120 + 24, 81, 17},
                             {"rbDE", 8 + 128, 120 + 24, 81, 17},
                         });

    // Greyed proxy fields show the button face, enabled ones the window
    // colour.
    GtkWidget* edPort = named(client, "edPort");
    GtkWidget* edProxy = named(client, "edProxy");
    EXPECT_FALSE(gtk_widget_get_sensitive(edPort));
    const GdkRGBA face = themeColour(edPort, "theme_bg_color");
    const GdkRGBA window = themeColour(edPort, "theme_base_color");
    ASSERT_FALSE(gdk_rgba_equal(&face, &window));
    for (GtkWidget* field : {edPort, edProxy}) {
      const GdkRGBA shown = background(field);
      EXPECT_TRUE(gdk_rgba_equal(&face, &shown)) << gdk_rgba_to_string(&shown);
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(named(client, "cbProxy")), TRUE);
    drainEvents();
    for (GtkWidget* field : {edPort, edProxy}) {
      EXPECT_TRUE(gtk_widget_get_sensitive(field));
      const GdkRGBA shown = background(field);
      EXPECT_TRUE(gdk_rgba_equal(&window, &shown)) << gdk_rgba_to_string(&shown);
    }
  });
  EXPECT_TRUE(inspected);
}

TEST_F(DialogLayoutTest, TableDialogStandsAsDesigned) {
  TTableForm form;
  bool inspected = false;
  inspectShown(form, [&](GtkWidget* client) {
    inspected = true;
    EXPECT_EQ(314, gtk_widget_get_allocated_width(client));
    EXPECT_EQ(172, gtk_widget_get_allocated_height(client));
    std::vector<Place> places;
    for (const auto& child : form.children()) {
      const ui::Bounds& b = child->bounds();
      if (gtk::findWidget(client, child->name())) {
        places.push_back({child->name().c_str(), b.left, b.top, b.width, b.height});
      }
    }
    EXPECT_EQ(15u, places.size());
    expectPlaces(client, places);
  });
  EXPECT_TRUE(inspected);
}

TEST_F(DialogLayoutTest, AboutBoxStandsAsDesignedWithItsDescriptionCentred) {
  TAboutForm form;
  bool inspected = false;
  inspectShown(form, [&](GtkWidget* client) {
    inspected = true;
    EXPECT_EQ(328, gtk_widget_get_allocated_width(client));
    EXPECT_EQ(142, gtk_widget_get_allocated_height(client));
    expectPlaces(client, {
                             {"Label2", 40, 16, 126, 24},
                             {"Label3", 184, 18, 109, 26},
                             {"Label1", 64, 120, 107, 13},
                             {"Button1", 240, 104, 75, 25},
                         });
    GtkWidget* label3 = named(client, "Label3");
    ASSERT_TRUE(GTK_IS_LABEL(label3));
    EXPECT_EQ(GTK_JUSTIFY_CENTER, gtk_label_get_justify(GTK_LABEL(label3)));
    EXPECT_FLOAT_EQ(0.5f, gtk_label_get_xalign(GTK_LABEL(label3)));
  });
  EXPECT_TRUE(inspected);
}

// Every label shows its whole text and overlaps none of the controls
// around it, in English and in German (whose captions are longer than the design
// left room for: the fields beside them make room).
TEST_F(DialogLayoutTest, EveryLabelFitsAndKeepsClearOfItsNeighboursInBothLanguages) {
  pellora::test::ScopedRegistryDir registry;
  std::vector<std::string> captions;
  for (const bool german : {false, true}) {
    SCOPED_TRACE(german ? "German" : "English");
    resetLanguageCodeForTesting();
    if (german) selectGermanLanguage();
    TMainForm main;
    TTableForm table;
    TUploadForm upload;
    TAboutForm about;
    // Its making turns the other forms German when German is in force.
    TOptionsForm options(settings::RegistryStore::forProcess(), {main, table, upload, about});
    captions.push_back(table.caption());
    // The forms with fields beside their labels.
    for (ui::Form* form : std::initializer_list<ui::Form*>{&options, &table, &upload}) {
      SCOPED_TRACE(form->name());
      inspectShown(*form, [&](GtkWidget* client) {
        std::vector<GtkWidget*> labels, others;
        collectLeaves(client, labels, others);
        ASSERT_FALSE(labels.empty());
        for (GtkWidget* label : labels) {
          const std::string text = gtk_label_get_text(GTK_LABEL(label));
          int minimum = 0, natural = 0;
          gtk_widget_get_preferred_width(label, &minimum, &natural);
          EXPECT_GE(gtk_widget_get_allocated_width(label), natural) << "cut off: " << text;
          const ui::Bounds a = boundsOf(client, label);
          for (GtkWidget* other : others) {
            const ui::Bounds b = boundsOf(client, other);
            const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                               a.top + a.height <= b.top || b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << "\"" << text << "\" overlaps " << gtk_widget_get_name(other);
          }
        }
      });
    }
  }
  EXPECT_NE(captions.front(), captions.back()) << "the German texts were in force";
  resetLanguageCodeForTesting();
}

}  // namespace
}  // namespace pellora::gtk::test
