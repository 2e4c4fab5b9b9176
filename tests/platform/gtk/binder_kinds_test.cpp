// Every control of every form of the editor gets the binder of its kind: a
// widget of the kind's type, placed in the form's tree (or its popup menu),
// and no widget outlives the binding.
#include <functional>
#include <memory>
#include <vector>

#include "editor/inserttable.h"
#include "editor/main_form.h"
#include "images/upload_form.h"
#include "platform/gtk/binding/binder.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_fixture.h"
#include "settings/about.h"
#include "settings/options.h"
#include "support/fake_platform.h"

namespace pellora::gtk::test {
namespace {

using ui::ControlKind;

class BinderKindsTest : public GtkTest {};

// The widget type each kind is shown by; 0 for kinds without a view.
GType expectedType(ControlKind kind) {
  switch (kind) {
    case ControlKind::Form:
    case ControlKind::TabSheet:
      return GTK_TYPE_CONTAINER;
    case ControlKind::Panel:
    case ControlKind::GroupBox:
      return GTK_TYPE_FRAME;
    case ControlKind::CoolBar:
      return GTK_TYPE_BOX;
    case ControlKind::ToolBar:
      return GTK_TYPE_TOOLBAR;
    case ControlKind::ToolButton:
      return GTK_TYPE_TOOL_ITEM;
    case ControlKind::PageControl:
      return GTK_TYPE_NOTEBOOK;
    case ControlKind::Label:
      return GTK_TYPE_LABEL;
    case ControlKind::Button:
      return GTK_TYPE_BUTTON;
    case ControlKind::Edit:
      return GTK_TYPE_ENTRY;
    case ControlKind::CheckBox:
      return GTK_TYPE_CHECK_BUTTON;
    case ControlKind::RadioButton:
      return GTK_TYPE_RADIO_BUTTON;
    case ControlKind::ComboBox:
      return GTK_TYPE_COMBO_BOX_TEXT;
    case ControlKind::CheckListBox:
      return GTK_TYPE_SCROLLED_WINDOW;
    case ControlKind::ProgressBar:
      return GTK_TYPE_PROGRESS_BAR;
    case ControlKind::InfoBar:
      return GTK_TYPE_INFO_BAR;
    case ControlKind::SourceEditor:
      return g_type_from_name("GtkSourceView");
    case ControlKind::VisualEditor:
      // Without a host's surface, the placeholder.
      return GTK_TYPE_LABEL;
    case ControlKind::PopupMenu:
      return GTK_TYPE_MENU;
    case ControlKind::MenuItem:
      return GTK_TYPE_MENU_ITEM;
    case ControlKind::Image:
    case ControlKind::Bevel:
    case ControlKind::UpDown:
      return 0;
  }
  return 0;
}

void collect(ui::Control& control, std::vector<ui::Control*>& out) {
  out.push_back(&control);
  for (const auto& child : control.children()) collect(*child, out);
}

// A form of the editor and the forms it refers to, which outlive it.
struct Subject {
  std::vector<std::unique_ptr<ui::Form>> others;
  std::unique_ptr<ui::Form> form;
};

struct EditorForm {
  const char* name;
  std::function<Subject()> make;
};

template <typename T>
Subject alone() {
  Subject subject;
  subject.form = std::make_unique<T>();
  return subject;
}

// The options form keeps the settings of the others.
Subject options() {
  Subject subject;
  for (const char* name : {"MainForm", "TableForm", "UploadForm", "AboutForm"})
    subject.others.push_back(std::make_unique<ui::Form>(name));
  auto& o = subject.others;
  subject.form = std::make_unique<TOptionsForm>(
      settings::RegistryStore::forProcess(), TOptionsForm::OtherForms{*o[0], *o[1], *o[2], *o[3]});
  return subject;
}

class EveryForm : public BinderKindsTest, public ::testing::WithParamInterface<EditorForm> {};

TEST_P(EveryForm, EachControlHasTheBinderOfItsKindAndAPlacedWidget) {
  pellora::test::ScopedRegistryDir registry;
  const Subject subject = GetParam().make();
  ui::Form* form = subject.form.get();
  auto binding = std::make_unique<FormBinding>(*form);
  std::vector<ui::Control*> controls;
  collect(*form, controls);

  std::vector<GtkWidget*> shown;
  for (ui::Control* control : controls) {
    SCOPED_TRACE(control->name());
    const GType type = expectedType(control->kind());
    const binding::Binder* binder = binding->binderFor(control->name());
    if (type == 0) {
      EXPECT_EQ(binder, nullptr);
      continue;
    }
    ASSERT_NE(binder, nullptr);
    EXPECT_EQ(&binder->control(), control);
    GtkWidget* widget = binder->widget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget, binding->widgetFor(control->name()));
    EXPECT_TRUE(g_type_is_a(G_OBJECT_TYPE(widget), type)) << G_OBJECT_TYPE_NAME(widget);
    // In the form's tree, or in its popup menu (which stands outside it).
    const bool inMenu = control->parent() && control->parent()->kind() == ControlKind::PopupMenu;
    if (inMenu) {
      EXPECT_EQ(gtk_widget_get_parent(widget), binding->widgetFor(control->parent()->name()));
    } else if (control->kind() != ControlKind::PopupMenu) {
      EXPECT_TRUE(widget == binding->widget() || gtk_widget_is_ancestor(widget, binding->widget()));
    }
    shown.push_back(widget);
  }

  // The binders hold references of their own: they all go with the binding,
  // leaving the test's own as the last.
  std::vector<GObjectPtr<GtkWidget>> held;
  for (GtkWidget* widget : shown) held.push_back(retain(widget));
  binding.reset();
  for (const auto& widget : held)
    EXPECT_EQ(G_OBJECT(widget.get())->ref_count, 1u) << G_OBJECT_TYPE_NAME(widget.get());
}

INSTANTIATE_TEST_SUITE_P(EditorForms, EveryForm,
                         ::testing::Values(EditorForm{"Main", alone<TMainForm>},
                                           EditorForm{"Table", alone<TTableForm>},
                                           EditorForm{"Upload", alone<TUploadForm>},
                                           EditorForm{"About", alone<TAboutForm>},
                                           EditorForm{"Options", options}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellora::gtk::test
