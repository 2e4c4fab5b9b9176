// The visual view's own link, image and font dialogs on screen: their texts
// in both interface languages, OK and Cancel as in the editor's other
// dialogs, one size control in the font dialog, and the image dialog's
// size fields and preview. Each dialog runs modally; the case acts on it
// once it waits, as a user would.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/inserttable.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/image_dialog_values.h"
#include "platform/gtk/surface_dialogs.h"
#include "settings/lang.h"
#include "support/temp_dir.h"

namespace pellora::gtk::test {
namespace {

// --- what the image dialog takes from its fields ----------------------------------

TEST(ImageDimensionTest, TakesPixelsAndPercentagesOnly) {
  const struct {
    const char* typed;
    std::optional<std::string> taken;
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {"120", "120"},
      {" 120\t", "120"},
      {"50%", "50%"},
      {"0", "0"},
      {"999999", "999999"},
      {"1234567", std::nullopt},  // longer than any page: a slip
      {"%", std::nullopt},
      {"12px", std::nullopt},
      {"-5", std::nullopt},
      {"1.5", std::nullopt},
      {"5 %", std::nullopt},
      {"50%%", std::nullopt},
      {"\" onload=\"x", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(imageDimension(c.typed), c.taken);
  }
}

TEST(PreviewPathTest, OnlyLocalFilesArePreviewed) {
  const struct {
    const char* address;
    std::optional<std::string> path;
  } cases[] = {
      {"file:///tmp/a%20b.png", "/tmp/a b.png"},
      {"file://localhost/tmp/x.png", "/tmp/x.png"},
      {"/home/u/x.png", "/home/u/x.png"},
      {"file://server/share/x.png", std::nullopt},  // another machine's file
      {"http://example.org/x.png", std::nullopt},
      {"https://example.org/x.png", std::nullopt},
      {"images/x.png", std::nullopt},
      {"//example.org/x.png", "//example.org/x.png"},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(previewPath(c.address), c.path);
  }
}

// --- the dialogs on screen --------------------------------------------------------

class SurfaceDialogsTest : public GtkTest {
 protected:
  void SetUp() override {
    GtkTest::SetUp();
    resetLanguageCodeForTesting();
  }
  void TearDown() override {
    resetLanguageCodeForTesting();
    GtkTest::TearDown();
  }

  static void drainEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  // Runs `act` on the dialog named `name` once it is laid out and waits
  // for the user; `act` must answer it.
  static void whenOpen(const std::string& name, std::function<void(GtkWidget*)> act) {
    auto* state = new std::pair<std::string, std::function<void(GtkWidget*)>>(name, std::move(act));
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer data) -> gboolean {
          auto* s = static_cast<std::pair<std::string, std::function<void(GtkWidget*)>>*>(data);
          GtkWindow* window = findWindowPublic(s->first);
          if (!window || !gtk_widget_get_mapped(GTK_WIDGET(window)) ||
              gtk_widget_get_allocated_width(GTK_WIDGET(window)) <= 1) {
            return G_SOURCE_CONTINUE;
          }
          drainEvents();
          s->second(GTK_WIDGET(window));
          return G_SOURCE_REMOVE;
        },
        state,
        [](gpointer data) {
          delete static_cast<std::pair<std::string, std::function<void(GtkWidget*)>>*>(data);
        });
  }

  static void press(GtkWidget* dialog, const char* button) {
    GtkWidget* widget = findWidget(dialog, button);
    ASSERT_NE(nullptr, widget) << button;
    gtk_button_clicked(GTK_BUTTON(widget));
  }

  static void type(GtkWidget* dialog, const char* field, const std::string& text) {
    GtkWidget* widget = findWidget(dialog, field);
    ASSERT_NE(nullptr, widget) << field;
    ASSERT_TRUE(GTK_IS_ENTRY(widget)) << field;
    gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
  }

  // Opens dialog `which` ("link", "image", "font") on empty values, or the
  // link dialog on a link the selection stands in ("edit link").
  void open(const std::string& which) {
    GtkSurfaceDialogs dialogs;
    if (which == "link") {
      dialogs.askHyperlink(nullptr, "");
    } else if (which == "edit link") {
      dialogs.askHyperlink(nullptr, "http://example.org/");
    } else if (which == "image") {
      dialogs.askImage(nullptr, {});
    } else {
      dialogs.askFont(nullptr, {});
    }
  }

  // What a user reads: the title, "label=field" per row, the buttons from
  // left to right.
  struct Reading {
    std::string title;
    std::vector<std::string> rows;
    std::vector<std::string> buttons;
    std::string sample = "";  // the font chooser's preview line, the file button's text
  };

  static Reading read(GtkWidget* dialog) {
    Reading reading;
    reading.title = gtk_window_get_title(GTK_WINDOW(dialog));
    GtkWidget* grid = findWidgetIf(dialog, [](GtkWidget* w) { return GTK_IS_GRID(w); });
    std::vector<std::pair<int, std::string>> rows;
    GList* children = gtk_container_get_children(GTK_CONTAINER(grid));
    for (GList* c = children; c; c = c->next) {
      GtkWidget* child = GTK_WIDGET(c->data);
      if (!GTK_IS_LABEL(child)) continue;
      GtkWidget* field = gtk_label_get_mnemonic_widget(GTK_LABEL(child));
      int top = 0;
      gtk_container_child_get(GTK_CONTAINER(grid), child, "top-attach", &top, nullptr);
      rows.emplace_back(top, std::string(gtk_label_get_text(GTK_LABEL(child))) + "=" +
                                 (field ? gtk_widget_get_name(field) : "<none>"));
    }
    g_list_free(children);
    std::sort(rows.begin(), rows.end());
    for (auto& row : rows) reading.rows.push_back(row.second);
    for (GtkWidget* button : buttonsLeftToRight(dialog)) {
      reading.buttons.push_back(gtk_button_get_label(GTK_BUTTON(button)));
    }
    if (GtkWidget* family = findWidget(dialog, "fcFontFamily")) {
      const GCharPtr sample{gtk_font_chooser_get_preview_text(GTK_FONT_CHOOSER(family))};
      reading.sample = sample.get();
      GtkWidget* search = findWidgetIf(family, [](GtkWidget* w) { return GTK_IS_SEARCH_ENTRY(w); });
      reading.sample += std::string(" | ") + gtk_entry_get_placeholder_text(GTK_ENTRY(search));
    }
    if (GtkWidget* file = findWidget(dialog, "fcImageFile")) {
      reading.sample = gtk_button_get_label(GTK_BUTTON(file));
    }
    return reading;
  }

  template <typename Predicate>
  static std::vector<GtkWidget*> allWidgets(GtkWidget* root, Predicate matches) {
    std::vector<GtkWidget*> found;
    findWidgetIf(root, [&](GtkWidget* w) {
      if (matches(w)) found.push_back(w);
      return false;
    });
    return found;
  }

  static int leftOf(GtkWidget* widget, GtkWidget* dialog) {
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, dialog, 0, 0, &x, &y);
    return x;
  }

  // The mapped plain buttons of `dialog` that answer it, left to right.
  static std::vector<GtkWidget*> buttonsLeftToRight(GtkWidget* dialog) {
    auto buttons = allWidgets(dialog, [](GtkWidget* w) {
      return GTK_IS_BUTTON(w) && gtk_widget_get_mapped(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
             (std::string(gtk_widget_get_name(w)) == "btnOk" ||
              std::string(gtk_widget_get_name(w)) == "btnCancel" ||
              std::string(gtk_widget_get_name(w)).rfind("Button", 0) == 0);
    });
    std::sort(buttons.begin(), buttons.end(), [dialog](GtkWidget* a, GtkWidget* b) {
      return leftOf(a, dialog) < leftOf(b, dialog);
    });
    return buttons;
  }

  template <typename Predicate>
  static GtkWidget* findWidgetIf(GtkWidget* root, Predicate matches) {
    return gtk::findWidgetIf(root, matches);
  }
};

TEST_F(SurfaceDialogsTest, TextsFollowTheInterfaceLanguage) {
  if (IsSkipped()) return;
  const struct {
    bool german;
    const char* dialog;
    const char* name;
    Reading expected;
  } cases[] = {
      {false, "link", "LinkDialog", {"Insert Link", {"Address:=edLinkAddress"}, {"OK", "Cancel"}}},
      {true,
       "link",
       "LinkDialog",
       {"Link einfügen", {"Adresse:=edLinkAddress"}, {"OK", "Abbrechen"}}},
      {false,
       "edit link",
       "LinkDialog",
       {"Edit Link", {"Address:=edLinkAddress"}, {"OK", "Cancel"}}},
      {true,
       "edit link",
       "LinkDialog",
       {"Link bearbeiten", {"Adresse:=edLinkAddress"}, {"OK", "Abbrechen"}}},
      {false,
       "image",
       "ImageDialog",
       {"Insert Image",
        {"File:=fcImageFile", "Address:=edImageAddress", "Alternative text:=edImageAlt",
         "Width:=edImageWidth", "Height:=edImageHeight"},
        {"OK", "Cancel"},
        "(None)"}},
      {true,
       "image",
       "ImageDialog",
       {"Bild einfügen",
        {"Datei:=fcImageFile", "Adresse:=edImageAddress", "Alternativtext:=edImageAlt",
         "Breite:=edImageWidth", "Höhe:=edImageHeight"},
        {"OK", "Abbrechen"},
        "(keine)"}},
      {false,
       "font",
       "FontDialog",
       {"Font",
        {"Font:=fcFontFamily", "Size:=edFontSize", "Colour:=cbFontColour"},
        {"OK", "Cancel"},
        "The quick brown fox jumps over the lazy dog. | Search font name"}},
      {true,
       "font",
       "FontDialog",
       {"Schriftart",
        {"Schriftart:=fcFontFamily", "Größe:=edFontSize", "Farbe:=cbFontColour"},
        {"OK", "Abbrechen"},
        "Zwölf Boxkämpfer jagen Eva quer über Sylt. | Schriftart suchen"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + (c.german ? " German" : " English"));
    resetLanguageCodeForTesting();
    if (c.german) selectGermanLanguage();
    Reading shown;
    whenOpen(c.name, [&shown](GtkWidget* dialog) {
      shown = read(dialog);
      press(dialog, "btnCancel");
    });
    open(c.dialog);
    EXPECT_EQ(shown.title, c.expected.title);
    EXPECT_EQ(shown.rows, c.expected.rows);
    EXPECT_EQ(shown.buttons, c.expected.buttons);
    EXPECT_EQ(shown.sample, c.expected.sample);
  }
}

// The insert-table dialog is the model: OK left of Cancel at the bottom
// right, both of the same size, the same gap between them.
TEST_F(SurfaceDialogsTest, OkAndCancelSitAsInTheTableDialog) {
  if (IsSkipped()) return;
  struct Pair {
    int okWidth = 0, okHeight = 0, cancelWidth = 0, cancelHeight = 0, gap = -1;
    bool okFirst = false, okDefault = false;
    int rightMargin = -1;
  };
  const auto measure = [](GtkWidget* window, GtkWidget* ok, GtkWidget* cancel) {
    Pair p;
    p.okWidth = gtk_widget_get_allocated_width(ok);
    p.okHeight = gtk_widget_get_allocated_height(ok);
    p.cancelWidth = gtk_widget_get_allocated_width(cancel);
    p.cancelHeight = gtk_widget_get_allocated_height(cancel);
    const int okLeft = leftOf(ok, window);
    const int cancelLeft = leftOf(cancel, window);
    p.okFirst = okLeft < cancelLeft;
    p.gap = cancelLeft - (okLeft + p.okWidth);
    p.okDefault = gtk_widget_has_default(ok) || gtk_widget_get_can_default(ok);
    p.rightMargin = gtk_widget_get_allocated_width(window) - (cancelLeft + p.cancelWidth);
    return p;
  };

  TTableForm table;
  Pair model;
  g_idle_add_full(
      G_PRIORITY_LOW,
      [](gpointer data) -> gboolean {
        auto* s = static_cast<std::pair<TTableForm*, Pair*>*>(data);
        GtkWindow* window = findWindowPublic("TableFormWindow");
        GtkWidget* ok = window ? findWidget(GTK_WIDGET(window), "Button1") : nullptr;
        if (!ok || !gtk_widget_get_mapped(ok) || gtk_widget_get_allocated_width(ok) <= 1) {
          return G_SOURCE_CONTINUE;
        }
        GtkWidget* cancel = findWidget(GTK_WIDGET(window), "Button2");
        *s->second = Pair{};
        s->second->okWidth = gtk_widget_get_allocated_width(ok);
        s->second->okHeight = gtk_widget_get_allocated_height(ok);
        s->second->cancelWidth = gtk_widget_get_allocated_width(cancel);
        s->second->cancelHeight = gtk_widget_get_allocated_height(cancel);
        s->second->okFirst = leftOf(ok, GTK_WIDGET(window)) < leftOf(cancel, GTK_WIDGET(window));
        s->second->gap = leftOf(cancel, GTK_WIDGET(window)) - leftOf(ok, GTK_WIDGET(window)) -
                         s->second->okWidth;
        s->first->closeModal(ui::mrCancel);
        return G_SOURCE_REMOVE;
      },
      new std::pair<TTableForm*, Pair*>(&table, &model),
      [](gpointer data) { delete static_cast<std::pair<TTableForm*, Pair*>*>(data); });
  platform().showModal(table);
  ASSERT_GT(model.okWidth, 1) << "the table dialog was not shown";
  ASSERT_TRUE(model.okFirst);

  for (const auto& [which, name] :
       {std::pair{"link", "LinkDialog"}, std::pair{"image", "ImageDialog"},
        std::pair{"font", "FontDialog"}}) {
    SCOPED_TRACE(which);
    Pair ours;
    whenOpen(name, [&](GtkWidget* dialog) {
      ours = measure(dialog, findWidget(dialog, "btnOk"), findWidget(dialog, "btnCancel"));
      EXPECT_TRUE(gtk_widget_has_default(findWidget(dialog, "btnOk"))) << "Return answers OK";
      press(dialog, "btnCancel");
    });
    open(which);
    EXPECT_TRUE(ours.okFirst);
    EXPECT_EQ(ours.okWidth, model.okWidth);
    EXPECT_EQ(ours.okHeight, model.okHeight);
    EXPECT_EQ(ours.cancelWidth, model.cancelWidth);
    EXPECT_EQ(ours.cancelHeight, model.cancelHeight);
    EXPECT_EQ(ours.gap, model.gap);
    EXPECT_GE(ours.rightMargin, 0);
    EXPECT_LE(ours.rightMargin, 16) << "at the bottom right";
  }
}

TEST_F(SurfaceDialogsTest, TheFontDialogShowsOneSizeControlInTheDocumentsScale) {
  if (IsSkipped()) return;
  std::vector<std::string> sizeControls;
  double lowest = 0, highest = 0, shownSize = 0;
  whenOpen("FontDialog", [&](GtkWidget* dialog) {
    for (GtkWidget* w : allWidgets(dialog, [](GtkWidget* w) {
           return (GTK_IS_SPIN_BUTTON(w) || GTK_IS_SCALE(w)) && gtk_widget_is_drawable(w);
         })) {
      sizeControls.push_back(gtk_widget_get_name(w));
    }
    GtkWidget* size = findWidget(dialog, "edFontSize");
    ASSERT_NE(nullptr, size);
    gtk_spin_button_get_range(GTK_SPIN_BUTTON(size), &lowest, &highest);
    shownSize = gtk_spin_button_get_value(GTK_SPIN_BUTTON(size));
    // As a script fills it: typed, never left.
    type(dialog, "edFontSize", "6");
    press(dialog, "btnOk");
  });
  GtkSurfaceDialogs dialogs;
  const auto chosen = dialogs.askFont(nullptr, {"", 2, "#112233"});
  EXPECT_EQ(sizeControls, std::vector<std::string>{"edFontSize"});
  EXPECT_EQ(lowest, 1);
  EXPECT_EQ(highest, 7);
  EXPECT_EQ(shownSize, 2) << "opens on the selection's size";
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->size, 6);
  EXPECT_EQ(chosen->color, "") << "unchanged";
}

// Writes a PNG of `width` x `height` pixels to `path`.
void writePicture(const std::string& path, int width, int height) {
  auto pixbuf = adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height));
  gdk_pixbuf_fill(pixbuf.get(), 0x3366ccff);
  ASSERT_TRUE(gdk_pixbuf_save(pixbuf.get(), path.c_str(), "png", nullptr, nullptr));
}

TEST_F(SurfaceDialogsTest, ThePreviewFollowsTheAddressAndFetchesNothingRemote) {
  if (IsSkipped()) return;
  pellora::test::TempDir temp;
  const std::string large = (temp.path() / "large picture.png").string();
  const std::string small = (temp.path() / "small.png").string();
  writePicture(large, 400, 300);
  writePicture(small, 20, 10);
  const GCharPtr largeUri{g_filename_to_uri(large.c_str(), nullptr, nullptr)};

  struct Seen {
    std::string address;
    GtkImageType type;
    int width, height;
  };
  std::vector<Seen> seen;
  const auto look = [&seen](GtkWidget* dialog, const std::string& address) {
    if (!address.empty()) type(dialog, "edImageAddress", address);
    GtkImage* preview = GTK_IMAGE(findWidget(dialog, "imgPreview"));
    Seen s{address, gtk_image_get_storage_type(preview), 0, 0};
    if (s.type == GTK_IMAGE_PIXBUF) {
      s.width = gdk_pixbuf_get_width(gtk_image_get_pixbuf(preview));
      s.height = gdk_pixbuf_get_height(gtk_image_get_pixbuf(preview));
    }
    seen.push_back(s);
  };
  whenOpen("ImageDialog", [&](GtkWidget* dialog) {
    look(dialog, "");  // opened on the selected image's local file
    look(dialog, small);
    look(dialog, "http://127.0.0.1:9/picture.png");
    look(dialog, (temp.path() / "missing.png").string());
    press(dialog, "btnCancel");
  });
  GtkSurfaceDialogs dialogs;
  EXPECT_FALSE(dialogs.askImage(nullptr, {largeUri.get(), "", "", ""}).has_value());
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].type, GTK_IMAGE_PIXBUF);
  EXPECT_EQ(seen[0].width, 160) << "scaled to fit";
  EXPECT_EQ(seen[0].height, 120);
  EXPECT_EQ(seen[1].type, GTK_IMAGE_PIXBUF);
  EXPECT_EQ(seen[1].width, 20) << "a small picture keeps its size";
  EXPECT_EQ(seen[1].height, 10);
  EXPECT_EQ(seen[2].type, GTK_IMAGE_ICON_NAME) << "a remote address is not fetched";
  EXPECT_EQ(seen[3].type, GTK_IMAGE_ICON_NAME);
}

TEST_F(SurfaceDialogsTest, TheImageDialogAnswersAltTextAndSizeAndRefusesAWrongSize) {
  if (IsSkipped()) return;
  bool stayedOpen = false;
  bool marked = false;
  whenOpen("ImageDialog", [&](GtkWidget* dialog) {
    type(dialog, "edImageAddress", "http://example.org/b.png");
    type(dialog, "edImageAlt", "Ein Bild");
    type(dialog, "edImageWidth", "wide");
    type(dialog, "edImageHeight", " 50% ");
    press(dialog, "btnOk");
    // The dialog's answer to that OK, seen when it waits again.
    whenOpen("ImageDialog", [&, dialog](GtkWidget* again) {
      stayedOpen = again == dialog;
      marked = gtk_style_context_has_class(
          gtk_widget_get_style_context(findWidget(again, "edImageWidth")), GTK_STYLE_CLASS_ERROR);
      type(again, "edImageWidth", "120");
      press(again, "btnOk");
    });
  });
  GtkSurfaceDialogs dialogs;
  const auto chosen = dialogs.askImage(nullptr, {"http://example.org/a.png", "alt", "10", ""});
  EXPECT_TRUE(stayedOpen) << "a width the attribute cannot take keeps the dialog open";
  EXPECT_TRUE(marked);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->address, "http://example.org/b.png");
  EXPECT_EQ(chosen->alt, "Ein Bild");
  EXPECT_EQ(chosen->width, "120");
  EXPECT_EQ(chosen->height, "50%");
}

// Sizes the item already had in a form of their own must not trap the user.
TEST_F(SurfaceDialogsTest, AnUnchangedSizeOfTheImagePassesAsItWas) {
  if (IsSkipped()) return;
  whenOpen("ImageDialog", [](GtkWidget* dialog) { press(dialog, "btnOk"); });
  GtkSurfaceDialogs dialogs;
  const auto chosen = dialogs.askImage(nullptr, {"http://example.org/a.png", "", "100px", "auto"});
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->width, "100px");
  EXPECT_EQ(chosen->height, "auto");
}

}  // namespace
}  // namespace pellora::gtk::test
