// The editor's tool bars: every button shows a theme icon of one symbolic
// set, and a narrow window keeps hidden buttons reachable through the bars'
// overflow menus, whose entries act as the buttons do.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "editor/main_form.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/gtk_text.h"
#include "ui/editing_surface.h"

namespace pellora::gtk::test {
namespace {

class ToolBarTest : public GtkTest {};

FormBinding::Hooks surfaceLabel() {
  return {[](ui::Control&) { return gtk_label_new("surface"); }};
}

std::vector<ui::Control*> toolButtons(TMainForm& form) {
  std::vector<ui::Control*> buttons;
  for (const auto& bar : form.CoolBar.children()) {
    for (const auto& child : bar->children()) {
      if (child->kind() == ui::ControlKind::ToolButton &&
          child->toolStyle() != ui::ToolButtonStyle::Separator)
        buttons.push_back(child.get());
    }
  }
  return buttons;
}

TEST_F(ToolBarTest, EveryToolButtonShowsItsOwnSymbolicThemeIcon) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  std::set<std::string> seen;
  const auto buttons = toolButtons(form);
  ASSERT_GE(buttons.size(), 25u);
  for (ui::Control* button : buttons) {
    SCOPED_TRACE(button->name());
    GtkWidget* item = binding.widgetFor(button->name());
    ASSERT_TRUE(GTK_IS_TOOL_BUTTON(item));
    const std::string icon = gtk_tool_button_get_icon_name(GTK_TOOL_BUTTON(item));
    EXPECT_NE(icon, "image-missing");
    EXPECT_TRUE(icon.size() > 9 && icon.ends_with("-symbolic")) << icon;
    EXPECT_TRUE(gtk_icon_theme_has_icon(theme, icon.c_str())) << icon;
    // The theme finds the icon itself, not a fallback of it.
    GtkIconInfo* info = gtk_icon_theme_lookup_icon(theme, icon.c_str(), 16, GtkIconLookupFlags{});
    ASSERT_NE(info, nullptr) << icon;
    const std::string file =
        gtk_icon_info_get_filename(info) ? gtk_icon_info_get_filename(info) : "";
    EXPECT_NE(file.find(icon), std::string::npos) << file;
    EXPECT_TRUE(gtk_icon_info_is_symbolic(info)) << file;
    // Each draws: the shipped SVGs load, recoloured with the theme.
    GdkRGBA fg{0.2, 0.4, 0.6, 1.0};
    GError* error = nullptr;
    GdkPixbuf* pixbuf =
        gtk_icon_info_load_symbolic(info, &fg, nullptr, nullptr, nullptr, nullptr, &error);
    EXPECT_NE(pixbuf, nullptr) << (error ? error->message : "");
    if (pixbuf) g_object_unref(pixbuf);
    if (error) g_error_free(error);
    g_object_unref(info);
    // Buttons that do different things look different.
    EXPECT_TRUE(seen.insert(icon).second) << icon << " is used twice";
  }
}

// The format bar at a narrow width, laid out as a window would.
GtkWidget* narrowBar(FormBinding& binding, const char* name, int width) {
  GtkWidget* bar = binding.widgetFor(name);
  EXPECT_TRUE(GTK_IS_TOOLBAR(bar));
  gtk_widget_show(bar);
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_width(bar, &minimum, &natural);
  EXPECT_LT(minimum, width) << "the bar cannot get as narrow";
  EXPECT_GT(natural, width) << "the bar fits at this width";
  int height = 0, ignored = 0;
  gtk_widget_get_preferred_height_for_width(bar, width, &height, &ignored);
  GtkAllocation narrow{0, 0, width, height};
  gtk_widget_size_allocate(bar, &narrow);
  return bar;
}

bool inOverflow(GtkWidget* item) {
  return gtk_widget_get_visible(item) && !gtk_widget_get_child_visible(item);
}

TEST_F(ToolBarTest, ButtonsThatDoNotFitAreReachableInTheOverflowMenu) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  narrowBar(binding, "ToolbarFormat", 160);

  // The bar keeps its first items and moves the rest to the menu.
  EXPECT_TRUE(gtk_widget_get_child_visible(gtk_widget_get_parent(binding.widgetFor("cmbStyles"))));
  int overflowed = 0;
  for (const auto& child : form.ToolbarFormat.children()) {
    GtkWidget* item = binding.widgetFor(child->name());
    if (!item || child->toolStyle() == ui::ToolButtonStyle::Separator) continue;
    if (!inOverflow(item)) continue;
    ++overflowed;
    SCOPED_TRACE(child->name());
    GtkWidget* proxy = gtk_tool_item_retrieve_proxy_menu_item(GTK_TOOL_ITEM(item));
    ASSERT_TRUE(GTK_IS_MENU_ITEM(proxy));
    // Labelled with the hint, not the internal name; enabled as the button.
    EXPECT_EQ(gtk_menu_item_get_label(GTK_MENU_ITEM(proxy)), toWidgetText(child->hint()));
    EXPECT_EQ(gtk_widget_get_sensitive(proxy), gtk_widget_get_sensitive(item));
    EXPECT_EQ(GTK_IS_CHECK_MENU_ITEM(proxy), GTK_IS_TOGGLE_TOOL_BUTTON(item));
  }
  EXPECT_GE(overflowed, 5);
  EXPECT_TRUE(inOverflow(binding.widgetFor("btnIndentRight")));

  // A hint the model changes reaches the menu entry too, and so does a
  // disabled state.
  GtkWidget* indent = binding.widgetFor("btnIndentRight");
  GtkWidget* proxy = gtk_tool_item_retrieve_proxy_menu_item(GTK_TOOL_ITEM(indent));
  form.btnIndentRight.setHint(
      "Einzug vergr\xF6\xDF"
      "ern");
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(proxy)),
               "Einzug vergr\xC3\xB6\xC3\x9F"
               "ern");
  form.btnIndentRight.setEnabled(false);
  EXPECT_FALSE(gtk_widget_get_sensitive(proxy));
  form.btnIndentRight.setEnabled(true);
  EXPECT_TRUE(gtk_widget_get_sensitive(proxy));
}

TEST_F(ToolBarTest, TheStyleListOverflowsAsASubmenuOfItsItems) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  int changes = 0;
  form.cmbStyles.onChange = [&] { ++changes; };
  form.cmbStyles.setItems({"Heading 1", "Normal",
                           "\xDC"
                           "berschrift"});
  form.cmbStyles.setItemIndex(1);
  // At its narrowest the bar holds little more than its menu's arrow.
  GtkWidget* bar = binding.widgetFor("ToolbarFormat");
  gtk_widget_show(bar);
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_width(bar, &minimum, &natural);
  GtkAllocation narrowest{0, 0, minimum, 30};
  gtk_widget_size_allocate(bar, &narrowest);
  GtkWidget* item = gtk_widget_get_parent(binding.widgetFor("cmbStyles"));
  ASSERT_TRUE(GTK_IS_TOOL_ITEM(item));
  ASSERT_TRUE(inOverflow(item));

  GtkWidget* proxy = gtk_tool_item_retrieve_proxy_menu_item(GTK_TOOL_ITEM(item));
  ASSERT_TRUE(GTK_IS_MENU_ITEM(proxy));
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(proxy)), "Styles");
  GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(proxy));
  ASSERT_TRUE(GTK_IS_MENU(submenu));
  GList* entries = gtk_container_get_children(GTK_CONTAINER(submenu));
  std::vector<std::string> labels;
  std::vector<bool> marked;
  for (GList* e = entries; e; e = e->next) {
    labels.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(e->data)));
    marked.push_back(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(e->data)));
  }
  const std::vector<std::string> expected{"Heading 1", "Normal",
                                          "\xC3\x9C"
                                          "berschrift"};
  EXPECT_EQ(labels, expected);
  EXPECT_EQ(marked, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(changes, 0);

  // Choosing an entry is the user's choice in the list.
  gtk_menu_item_activate(GTK_MENU_ITEM(g_list_nth_data(entries, 2)));
  g_list_free(entries);
  EXPECT_EQ(form.cmbStyles.itemIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(binding.widgetFor("cmbStyles"))), 2);
}

// Before a load fills it (or after one failed) the list is empty: it keeps
// its designed width, so the bar does not shift.
TEST_F(ToolBarTest, TheEmptyStyleListKeepsItsWidth) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  ASSERT_TRUE(form.cmbStyles.items().empty());
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_width(binding.widgetFor("cmbStyles"), &minimum, &natural);
  EXPECT_GE(minimum, form.cmbStyles.bounds().width);
}

std::vector<int> executedIds(const pellora::test::FakeEditingSurface& surface) {
  std::vector<int> ids;
  for (const auto& command : surface.executed) ids.push_back(command.id);
  return ids;
}

TEST_F(ToolBarTest, AnOverflowEntryRunsTheSameCommandAsItsButton) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  narrowBar(binding, "ToolbarFormat", 160);
  ASSERT_NE(lastSurface, nullptr);
  form.DocumentReady = true;

  struct Case {
    const char* button;
    int command;
  };
  for (const Case& c :
       {Case{"btnIndentRight", ui::DECMD_INDENT}, Case{"btnIndentLeft", ui::DECMD_OUTDENT},
        Case{"btnUnderline", ui::DECMD_UNDERLINE}, Case{"btnListUL", ui::DECMD_UNORDERLIST}}) {
    SCOPED_TRACE(c.button);
    GtkWidget* item = binding.widgetFor(c.button);
    ASSERT_TRUE(inOverflow(item));
    lastSurface->executed.clear();
    if (GTK_IS_TOGGLE_TOOL_BUTTON(item))
      gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(item), TRUE);
    else
      g_signal_emit_by_name(item, "clicked");
    const std::vector<int> byButton = executedIds(*lastSurface);
    EXPECT_NE(std::find(byButton.begin(), byButton.end(), c.command), byButton.end());

    lastSurface->executed.clear();
    GtkWidget* proxy = gtk_tool_item_retrieve_proxy_menu_item(GTK_TOOL_ITEM(item));
    gtk_menu_item_activate(GTK_MENU_ITEM(proxy));
    EXPECT_EQ(executedIds(*lastSurface), byButton);
  }

  // A check button's entry shows the model's state and flips it as the
  // button would.
  GtkWidget* underline = binding.widgetFor("btnUnderline");
  auto* entry =
      GTK_CHECK_MENU_ITEM(gtk_tool_item_retrieve_proxy_menu_item(GTK_TOOL_ITEM(underline)));
  form.btnUnderline.setDown(false);
  EXPECT_FALSE(gtk_check_menu_item_get_active(entry));
  gtk_menu_item_activate(GTK_MENU_ITEM(entry));
  EXPECT_TRUE(form.btnUnderline.down());
  EXPECT_TRUE(gtk_check_menu_item_get_active(entry));
  EXPECT_TRUE(gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(underline)));
  form.btnUnderline.setDown(false);
  EXPECT_FALSE(gtk_check_menu_item_get_active(entry));
}

TEST_F(ToolBarTest, TheEditorGetsNarrowerThanItsToolBars) {
  TMainForm form;
  FormBinding binding(form, surfaceLabel());
  GtkWidget* top = binding.widget();
  gtk_widget_show(top);
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_width(binding.widgetFor("CoolBar"), &minimum, &natural);
  // All buttons side by side need far more than the narrowest bar band.
  EXPECT_LT(minimum * 3, natural);
  gtk_widget_get_preferred_width(top, &minimum, &natural);
  EXPECT_LE(minimum, 360);
}

}  // namespace
}  // namespace pellora::gtk::test
