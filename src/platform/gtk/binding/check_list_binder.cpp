#include <string>
#include <vector>

#include "platform/gtk/accessible_name.h"
#include "platform/gtk/binding/binder_kinds.h"
#include "platform/gtk/binding/widget_text.h"
#include "platform/gtk/callback_boundary.h"

namespace pellora::gtk::binding {

namespace {

using ui::Property;

// The text of a row: `text` in a label that ellipsizes in the middle, and
// its closing note, if any, in one that never does.
GtkWidget* rowText(const std::string& text) {
  std::size_t note = text.size();
  if (text.ends_with(')')) {
    if (const std::size_t open = text.rfind(" ("); open != std::string::npos && open > 0)
      note = open;
  }
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  GtkWidget* entry = gtk_label_new(text.substr(0, note).c_str());
  gtk_label_set_ellipsize(GTK_LABEL(entry), PANGO_ELLIPSIZE_MIDDLE);
  gtk_box_pack_start(GTK_BOX(row), entry, FALSE, FALSE, 0);
  if (note < text.size())
    gtk_box_pack_start(GTK_BOX(row), gtk_label_new(text.substr(note).c_str()), FALSE, FALSE, 0);
  gtk_widget_show_all(row);
  return row;
}

// A list of check boxes in a scrolled window, rebuilt when the items change.
// The list scrolls only up and down: an entry longer than the list's width
// loses its middle, so its start stays in sight, and shows in full as its
// tooltip. A note in parentheses at its end (why an upload entry is
// marked) stays whole: the entry makes no sense without it.
class CheckListBinder : public Binder {
 public:
  using Binder::Binder;

 protected:
  GtkWidget* build(BindingSite&) override {
    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroller), list);
    gtk_widget_show(list);
    setWidget(scroller);
    return scroller;
  }

  void apply(Property property) override {
    Binder::apply(property);
    if (property == Property::Items) {
      rebuildItems();
    } else if (property == Property::ItemChecked) {
      for (std::size_t i = 0; i < checks_.size(); ++i) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(checks_[i]),
                                     control().itemChecked(static_cast<int>(i)));
      }
    }
  }

 private:
  void rebuildItems() {
    GtkWidget* list = gtk_bin_get_child(GTK_BIN(widget()));
    if (GTK_IS_VIEWPORT(list)) list = gtk_bin_get_child(GTK_BIN(list));
    // The old rows' handlers go before the rows do.
    connections_.clear();
    checks_.clear();
    GList* rows = gtk_container_get_children(GTK_CONTAINER(list));
    for (GList* row = rows; row; row = row->next) gtk_widget_destroy(GTK_WIDGET(row->data));
    g_list_free(rows);
    for (std::size_t i = 0; i < control().items().size(); ++i) {
      const std::string text = caption(control().items()[i]);
      // The button's label stays the whole entry (scripts find the entry
      // by it); what it shows is the row's own text.
      GtkWidget* check = gtk_check_button_new_with_label(text.c_str());
      gtk_container_remove(GTK_CONTAINER(check), gtk_bin_get_child(GTK_BIN(check)));
      gtk_container_add(GTK_CONTAINER(check), rowText(text));
      setAccessibleName(check, text);
      gtk_widget_set_tooltip_text(check, text.c_str());
      g_object_set_data(G_OBJECT(check), "pellora-index", GINT_TO_POINTER(static_cast<int>(i)));
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check),
                                   control().itemChecked(static_cast<int>(i)));
      connections_.emplace_back(check, "toggled", G_CALLBACK((guardedCallback<&onItemToggled>)),
                                this);
      gtk_list_box_insert(GTK_LIST_BOX(list), check, -1);
      gtk_widget_show(check);
      checks_.push_back(check);
    }
  }

  static void onItemToggled(GtkWidget* check, gpointer data) {
    auto& self = *static_cast<CheckListBinder*>(data);
    if (self.following()) return;
    const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(check), "pellora-index"));
    self.control().setItemChecked(index, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)));
  }

  // The rows' check boxes, owned by the list.
  std::vector<GtkWidget*> checks_;
  std::vector<SignalConnection> connections_;
};

}  // namespace

std::unique_ptr<Binder> makeCheckListBinder(ui::Control& control) {
  return std::make_unique<CheckListBinder>(control);
}

}  // namespace pellora::gtk::binding
