// Pasting into the visual view from the real clipboard with a real Ctrl+V:
// office HTML arrives cleaned, as one undoable edit, under the host's
// option words; a clipboard of plain text pastes as before.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>
#include <vector>

#include "exchange/editing_context.h"
#include "platform/gtk/key_stroke.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"
#include "support/office_clipboard_samples.h"

namespace pellora::gtk {
namespace {

// What this test offers on the system clipboard; it stays the clipboard's
// owner until it is destroyed.
class ClipboardOffer {
 public:
  ClipboardOffer(std::string html, std::string text)
      : html_(std::move(html)), text_(std::move(text)) {
    std::vector<GtkTargetEntry> targets;
    if (!html_.empty()) targets.push_back({const_cast<gchar*>("text/html"), 0, kHtml});
    for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"}) {
      targets.push_back({const_cast<gchar*>(name), 0, kText});
    }
    owned_ =
        gtk_clipboard_set_with_data(clipboard(), targets.data(), static_cast<guint>(targets.size()),
                                    &ClipboardOffer::get, &ClipboardOffer::cleared, this) == TRUE;
  }
  ~ClipboardOffer() {
    if (owned_) gtk_clipboard_clear(clipboard());
  }
  ClipboardOffer(const ClipboardOffer&) = delete;
  ClipboardOffer& operator=(const ClipboardOffer&) = delete;

  bool owned() const { return owned_; }

 private:
  enum : guint { kHtml, kText };

  static GtkClipboard* clipboard() { return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD); }

  static void get(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer data) {
    auto* self = static_cast<ClipboardOffer*>(data);
    if (info == kHtml) {
      gtk_selection_data_set(selection, gdk_atom_intern_static_string("text/html"), 8,
                             reinterpret_cast<const guchar*>(self->html_.data()),
                             static_cast<gint>(self->html_.size()));
    } else {
      gtk_selection_data_set_text(selection, self->text_.c_str(), -1);
    }
  }

  static void cleared(GtkClipboard*, gpointer data) {
    static_cast<ClipboardOffer*>(data)->owned_ = false;
  }

  std::string html_;
  std::string text_;
  bool owned_ = false;
};

class WebKitSurfacePasteTest : public engine_test::SurfaceWindowTest {
 protected:
  WebKitSurfacePasteTest() : SurfaceWindowTest(640, 400) {}

  // Ctrl+V over the word "here", then the body once it has `shows`.
  std::string pasteOver(const ClipboardOffer& offer, const std::string& shows) {
    EXPECT_TRUE(offer.owned());
    selectText("here");
    const auto stroke = parseKeyStroke("ctrl+v");
    EXPECT_TRUE(stroke && sendKeyStroke(surface_->widget(), *stroke));
    return awaitBodyWith(shows);
  }

  // Runs the main loop until the body has `shows`; a guard ends the wait
  // should the paste never land.
  std::string awaitBodyWith(const std::string& shows) {
    bool expired = false;
    const guint guard = g_timeout_add_seconds(
        60, [](gpointer flag) { return *static_cast<bool*>(flag) = true, G_SOURCE_REMOVE; },
        &expired);
    engine_test::runUntil([&] { return expired || body().find(shows) != std::string::npos; });
    if (!expired) g_source_remove(guard);
    EXPECT_FALSE(expired) << "the paste did not arrive; the body is " << body();
    return body();
  }
};

struct PasteRow {
  const char* what;
  const char* html;  // null: a clipboard of plain text only
  const char* options;
  const char* shows;  // what tells the paste has landed
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

TEST_F(WebKitSurfacePasteTest, CtrlVFromTheClipboardCleansOfficeMarkup) {
  const PasteRow rows[] = {
      {"Word",
       test::kWordClipboard,
       "",
       "Thanks",
       {"<h1>Quarterly report</h1>", "<b>twelve", "<i>mostly</i>", "<u>north</u>",
        "<a href=\"https://example.com/report?year=2026&amp;q=3\">the full report</a>",
        "<li>Berlin", "<li>Mitte</li>", "<ol><li>Plan</li><li>Build</li></ol>", "<table",
        "<b>City</b>", "font-size: 14"},
       {"mso-", "Mso", "<o:p", "<!--", "<meta", "<style", "Symbol", "·", "StartFragment"}},
      {"Word with nostyle",
       test::kWordClipboard,
       "nohtml,nostyle",
       "Thanks",
       {"<h1>Quarterly report</h1>", "<li>Berlin", "<b>City</b>"},
       {"mso-", "Mso", "style=", "class="}},
      {"Google Docs with nofont",
       test::kGoogleDocsClipboard,
       "nofont",
       "Owner",
       {"<b>Decided:</b>", "<i>Monday</i>", "<u>the plan</u>", "<li", "Tests", "<table"},
       {"docs-internal-guid", "font-family", "font-size", "Apple-interchange"}},
      {"LibreOffice with nofont",
       test::kLibreOfficeClipboard,
       "nofont",
       "Zeit",
       {"<h2>Einladung</h2>", "<b>Freitag</b>", "<u>Saal 3</u>", "<li", "Kuchen</a>"},
       {"<font", "lang=", "western", "Liberation"}},
      {"plain text only", nullptr, "", "pasted words", {"before pasted words after"}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    load("<p>before here after</p>");
    editingContext().EditOptions = row.options;
    const ClipboardOffer offer(row.html ? row.html : "", "pasted words");
    const std::string result = pasteOver(offer, row.shows);
    for (const std::string& part : row.present)
      EXPECT_NE(result.find(part), std::string::npos) << "missing " << part << " in " << result;
    for (const std::string& part : row.absent)
      EXPECT_EQ(result.find(part), std::string::npos) << "kept " << part << " in " << result;
    EXPECT_EQ(result.find("here"), std::string::npos) << "the selection was not replaced";
  }
}

TEST_F(WebKitSurfacePasteTest, APasteIsOneUndoStep) {
  load("<p>before here after</p>");
  const std::string before = body();
  const ClipboardOffer offer(test::kWordClipboard, "plain");
  pasteOver(offer, "Thanks");
  surface_->ExecCommand(ui::DECMD_UNDO, ui::OLECMDEXECOPT_DONTPROMPTUSER, {});
  EXPECT_EQ(body(), before);
}

// The engine's paste as plain text (what Ctrl+Shift+V runs) offers the
// page's handler no HTML, so it stays plain however rich the clipboard is.
TEST_F(WebKitSurfacePasteTest, PasteAsPlainTextIsNotTakenOver) {
  load("<p>before here after</p>");
  const ClipboardOffer offer(test::kWordClipboard, "plain words");
  ASSERT_TRUE(offer.owned());
  selectText("here");
  webkit_web_view_execute_editing_command(WEBKIT_WEB_VIEW(surface_->widget()),
                                          WEBKIT_EDITING_COMMAND_PASTE_AS_PLAIN_TEXT);
  EXPECT_EQ(awaitBodyWith("plain words"), "<p>before plain words after</p>");
}

}  // namespace
}  // namespace pellora::gtk
