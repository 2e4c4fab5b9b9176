// The binding of the widget model to GTK widgets: model changes reach the
// widgets, user input reaches the model and its handlers.
#include "platform/gtk/form_binding.h"

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "images/upload_form.h"
#include "platform/gtk/gtk_fixture.h"
#include "platform/gtk/gtk_text.h"
#include "settings/options.h"
#include "support/fake_platform.h"

namespace pellora::gtk::test {
namespace {

class FormBindingTest : public GtkTest {};

std::string labelOf(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
  if (GTK_IS_BUTTON(widget)) return gtk_button_get_label(GTK_BUTTON(widget));
  return {};
}

TEST_F(FormBindingTest, ModelChangesReachTheWidgets) {
  TTableForm form;
  FormBinding binding(form);
  GtkWidget* rows = binding.widgetFor("edRows");
  ASSERT_TRUE(GTK_IS_ENTRY(rows));
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(rows)), "2");

  form.edRows.setText("7");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(rows)), "7");
  // Windows-1252 in the model, UTF-8 in the widget.
  form.Label1.setCaption("Zeilen \xFC:");
  EXPECT_EQ(labelOf(binding.widgetFor("Label1")), "Zeilen \xC3\xBC:");
  form.Button2.setCaption("Abbrechen");
  EXPECT_EQ(labelOf(binding.widgetFor("Button2")), "Abbrechen");
  form.edRows.setEnabled(false);
  EXPECT_FALSE(gtk_widget_get_sensitive(rows));
  form.edCols.setVisible(false);
  EXPECT_FALSE(gtk_widget_get_visible(binding.widgetFor("edCols")));
  EXPECT_TRUE(gtk_widget_get_visible(binding.widgetFor("edWidth")));

  GtkWidget* unit = binding.widgetFor("cmbUnit");
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(unit)), 0);
  form.cmbUnit.setItemIndex(1);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(unit)), 1);
  EXPECT_EQ(binding.defaultButton(), &form.Button1);
  EXPECT_EQ(binding.cancelButton(), &form.Button2);
}

TEST_F(FormBindingTest, UserInputReachesTheModelAndItsHandlers) {
  TTableForm form;
  int changes = 0;
  form.edRows.onChange = [&] { ++changes; };
  int comboChanges = 0;
  form.cmbUnit.onChange = [&] { ++comboChanges; };
  FormBinding binding(form);

  gtk_entry_set_text(GTK_ENTRY(binding.widgetFor("edRows")), "4\xC3\xA4");
  EXPECT_EQ(form.edRows.text(), "4\xE4");
  EXPECT_GT(changes, 0);

  // A choice in the list raises onChange; the model's own choice does not.
  form.cmbUnit.setItemIndex(1);
  EXPECT_EQ(comboChanges, 0);
  gtk_combo_box_set_active(GTK_COMBO_BOX(binding.widgetFor("cmbUnit")), 0);
  EXPECT_EQ(form.cmbUnit.itemIndex(), 0);
  EXPECT_EQ(comboChanges, 1);

  int clicks = 0;
  form.Button1.onClick = [&] { ++clicks; };
  gtk_button_clicked(GTK_BUTTON(binding.widgetFor("Button1")));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.modalResult(), ui::mrOk);
}

TEST_F(FormBindingTest, CheckBoxesAndRadioButtonsRunTheFormLogic) {
  pellora::test::ScopedRegistryDir registry;
  ui::Form main("MainForm"), table("TableForm"), upload("UploadForm"), about("AboutForm");
  TOptionsForm form(settings::RegistryStore::forProcess(), {main, table, upload, about});
  FormBinding binding(form);
  GtkWidget* proxy = binding.widgetFor("edProxy");
  EXPECT_FALSE(gtk_widget_get_sensitive(proxy));

  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(binding.widgetFor("cbProxy")), TRUE);
  EXPECT_TRUE(form.cbProxy.checked());
  EXPECT_TRUE(form.edProxy.enabled());
  EXPECT_TRUE(gtk_widget_get_sensitive(proxy));

  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(binding.widgetFor("rbDE")), TRUE);
  EXPECT_TRUE(form.rbDE.checked());
  EXPECT_FALSE(form.rbEN.checked());
  form.rbEN.setChecked(true);
  EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(binding.widgetFor("rbEN"))));
  EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(binding.widgetFor("rbDE"))));
}

TEST_F(FormBindingTest, CheckListsFollowTheirItemsBothWays) {
  TUploadForm form;
  FormBinding binding(form);
  form.clbImagesDel.setItems({"a.gif", "b\xE4.png"});
  form.clbImagesDel.setItemChecked(0, true);
  form.clbImagesDel.setItemChecked(1, true);

  GtkWidget* list = gtk_bin_get_child(GTK_BIN(binding.widgetFor("clbImagesDel")));
  if (GTK_IS_VIEWPORT(list)) list = gtk_bin_get_child(GTK_BIN(list));
  std::vector<GtkToggleButton*> checks;
  GList* rows = gtk_container_get_children(GTK_CONTAINER(list));
  for (GList* row = rows; row; row = row->next) {
    checks.push_back(GTK_TOGGLE_BUTTON(gtk_bin_get_child(GTK_BIN(row->data))));
  }
  g_list_free(rows);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(checks[1])), "b\xC3\xA4.png");
  EXPECT_TRUE(gtk_toggle_button_get_active(checks[0]));

  gtk_toggle_button_set_active(checks[0], FALSE);
  EXPECT_FALSE(form.clbImagesDel.itemChecked(0));
  EXPECT_TRUE(form.clbImagesDel.itemChecked(1));
}

TEST_F(FormBindingTest, EditorToolBarsFollowTheModelAndClickThroughIt) {
  TMainForm form;
  FormBinding binding(form, {[this](ui::Control&) { return gtk_label_new("surface"); }});
  GtkWidget* bold = binding.widgetFor("btnBold");
  ASSERT_TRUE(GTK_IS_TOGGLE_TOOL_BUTTON(bold));
  EXPECT_STREQ(gtk_widget_get_tooltip_text(bold), "Bold (Ctrl+B)");
  EXPECT_STREQ(gtk_tool_button_get_icon_name(GTK_TOOL_BUTTON(bold)), "format-text-bold-symbolic");
  form.btnBold.setHint("Fett");
  EXPECT_STREQ(gtk_widget_get_tooltip_text(bold), "Fett (Ctrl+B)");
  EXPECT_FALSE(gtk_widget_get_sensitive(binding.widgetFor("btnCut")));
  EXPECT_FALSE(gtk_widget_get_visible(binding.widgetFor("btnSelAll")));

  // The toggle's state is the model's: a click flips `down` and runs the
  // handler, which reaches the surface through the gate.
  gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(bold), TRUE);
  EXPECT_TRUE(form.btnBold.down());
  form.btnBold.setDown(false);
  EXPECT_FALSE(gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(bold)));

  // The alignment group: one down at most.
  auto* left = GTK_TOGGLE_TOOL_BUTTON(binding.widgetFor("btnAlLeft"));
  auto* center = GTK_TOGGLE_TOOL_BUTTON(binding.widgetFor("btnAlCenter"));
  gtk_toggle_tool_button_set_active(left, TRUE);
  gtk_toggle_tool_button_set_active(center, TRUE);
  EXPECT_FALSE(form.btnAlLeft.down());
  EXPECT_TRUE(form.btnAlCenter.down());
  EXPECT_FALSE(gtk_toggle_tool_button_get_active(left));

  // The page control: tabs at the bottom; the user's switch runs the
  // model's changing handler while the old page is still active.
  GtkWidget* pages = binding.widgetFor("PageControl");
  ASSERT_TRUE(GTK_IS_NOTEBOOK(pages));
  EXPECT_EQ(gtk_notebook_get_tab_pos(GTK_NOTEBOOK(pages)), GTK_POS_BOTTOM);
  lastSurface->document = "<html><body><p>x</p></body></html>";
  gtk_notebook_set_current_page(GTK_NOTEBOOK(pages), 1);
  EXPECT_EQ(form.PageControl.activePageIndex(), 1);
  EXPECT_FALSE(form.CoolBar.visible());
  EXPECT_FALSE(gtk_widget_get_visible(binding.widgetFor("CoolBar")));
  EXPECT_EQ(form.mmoHTML.text(), "<p>x</p>");

  form.TabSheet2.setVisible(false);
  EXPECT_FALSE(gtk_widget_get_visible(gtk_notebook_get_nth_page(GTK_NOTEBOOK(pages), 1)));

  form.StatusLabel.setCaption("Please Wait!");
  form.StatusProgress.setPosition(50);
  EXPECT_DOUBLE_EQ(
      gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(binding.widgetFor("StatusProgress"))), 0.5);
  EXPECT_FALSE(gtk_widget_get_visible(binding.widgetFor("StatusPanel")));
  form.StatusPanel.setVisible(true);
  EXPECT_TRUE(gtk_widget_get_visible(binding.widgetFor("StatusPanel")));
}

TEST_F(FormBindingTest, StyleListRaisesItsHandlerOnlyForTheUsersChoice) {
  TMainForm form;
  FormBinding binding(form);
  int changes = 0;
  form.cmbStyles.onChange = [&] { ++changes; };
  form.cmbStyles.setItems({"Heading 1", "Normal"});
  form.cmbStyles.setItemIndex(1);
  auto* combo = GTK_COMBO_BOX(binding.widgetFor("cmbStyles"));
  EXPECT_EQ(gtk_combo_box_get_active(combo), 1);
  EXPECT_EQ(changes, 0);
  gtk_combo_box_set_active(combo, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form.cmbStyles.itemIndex(), 0);
}

}  // namespace
}  // namespace pellora::gtk::test
