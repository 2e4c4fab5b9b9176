// A check list's entries on screen: each row stays within the list; a long
// one loses its middle, never its start nor the note at its end, and shows
// in full as its tooltip.
#include <string>
#include <vector>

#include "images/upload_form.h"
#include "platform/gtk/binding/widget_tree.h"
#include "platform/gtk/dialog_style.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_fixture.h"

namespace pellora::gtk::test {
namespace {

class CheckListRowsTest : public GtkTest {};

// What a row shows, its ellipsis as "...".
std::string shownText(GtkWidget* row) {
  std::string shown;
  gtk::findWidgetIf(row, [&shown](GtkWidget* w) {
    PangoLayout* layout = GTK_IS_LABEL(w) ? gtk_label_get_layout(GTK_LABEL(w)) : nullptr;
    for (GSList* r = layout ? pango_layout_get_line_readonly(layout, 0)->runs : nullptr; r;
         r = r->next) {
      const PangoItem* item = static_cast<PangoGlyphItem*>(r->data)->item;
      shown += item->analysis.flags & PANGO_ANALYSIS_FLAG_IS_ELLIPSIS
                   ? std::string("...")
                   : std::string(pango_layout_get_text(layout) + item->offset, item->length);
    }
    return false;
  });
  return shown;
}

TEST_F(CheckListRowsTest, RowsFitTheListAndKeepTheirStartAndNote) {
  if (IsSkipped()) return;
  const std::string note = " (came with the item)";
  const std::string path = "/home/someone/pictures/" + std::string(60, 'x') + "/holiday.png";
  const struct {
    std::string entry;
    bool shortened;
    std::string end;  // still in sight
  } cases[] = {{"a.png", false, "a.png"}, {"b.png" + note, false, note}, {path + note, true, note}};
  TUploadForm form;
  for (const auto& c : cases) form.clbImagesUp.addItem(c.entry);
  const binding::WidgetTree window = binding::ownTree(gtk_offscreen_window_new());
  FormBinding binding(form);
  styleDialog(binding.widget(), form.font());
  gtk_container_add(GTK_CONTAINER(window.get()), binding.widget());
  gtk_widget_show(binding.widget());
  gtk_widget_show(window.get());

  GtkWidget* list = binding.widgetFor("clbImagesUp");
  std::vector<GtkWidget*> rows;
  gtk::findWidgetIf(list, [&rows](GtkWidget* w) {
    if (GTK_IS_CHECK_BUTTON(w)) rows.push_back(w);
    return false;
  });
  ASSERT_EQ(rows.size(), std::size(cases));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.entry);
    EXPECT_LE(gtk_widget_get_allocated_width(rows[i]), gtk_widget_get_allocated_width(list));
    const GCharPtr tooltip{gtk_widget_get_tooltip_text(rows[i])};
    EXPECT_STREQ(tooltip.get(), c.entry.c_str());
    const std::string shown = shownText(rows[i]);
    const std::size_t cut = shown.find("...");
    EXPECT_EQ(cut != std::string::npos, c.shortened) << shown;
    EXPECT_TRUE(c.entry.starts_with(shown.substr(0, std::min(cut, shown.size())))) << shown;
    EXPECT_TRUE(shown.ends_with(c.end)) << shown;
  }
}

}  // namespace
}  // namespace pellora::gtk::test
