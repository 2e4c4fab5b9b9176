// Covered by tests/platform/gtk/form_binding_test.cpp.
#include "platform/gtk/form_binding.h"

#include <algorithm>

#include "platform/gtk/accessible_name.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/dialog_style.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/own_icons.h"
#include "platform/gtk/source_view.h"

namespace pellora::gtk {

using ui::Control;
using ui::ControlKind;
using ui::Property;

// One model control and its widget. GTK handlers get a pointer to it; the
// binding disconnects them before either side goes away.
struct FormBinding::Bound {
  FormBinding* owner = nullptr;
  Control* control = nullptr;
  GtkWidget* widget = nullptr;
  // The widget whose visibility and sensitivity follow the model (a tool
  // item, a notebook page), when it differs from `widget`.
  GtkWidget* outer = nullptr;
  GtkWidget* tabLabel = nullptr;
  SourceViewBinding* source = nullptr;
  std::vector<GtkWidget*> itemWidgets;
  // A tool button's entry in its tool bar's overflow menu.
  GtkWidget* proxy = nullptr;
  std::size_t connection = 0;
  // Set while the widget follows the model: GTK's echo is not user input.
  bool following = false;
};

namespace {

// GObject data key on a bound widget: its Bound.
constexpr const char* kBoundKey = "pellora-bound";

// Id of the overflow-menu entries the binding gives its tool buttons.
constexpr const char* kProxyId = "pellora-proxy";

// Design captions use CR LF; widgets want LF alone.
std::string caption(const std::string& cp1252) {
  std::string text = toWidgetText(cp1252);
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i];
  }
  return plain;
}

// "&Ja" marks an access key in a design caption.
std::string mnemonic(const std::string& cp1252) {
  std::string out;
  for (char c : caption(cp1252)) {
    if (c == '&')
      out += '_';
    else if (c == '_')
      out += "__";
    else
      out += c;
  }
  return out;
}

bool hasClientChild(const Control& control) {
  return std::any_of(control.children().begin(), control.children().end(), [](const auto& child) {
    return child->align() == ui::Align::Client || child->align() == ui::Align::Top;
  });
}

// Windows colour (0x00BBGGRR) as a Pango colour; system colours keep the
// theme's choice.
bool pangoColour(ui::Color colour, PangoColor& out) {
  if (colour & 0x80000000u) return false;
  out.red = static_cast<guint16>((colour & 0xFF) * 257);
  out.green = static_cast<guint16>(((colour >> 8) & 0xFF) * 257);
  out.blue = static_cast<guint16>(((colour >> 16) & 0xFF) * 257);
  return true;
}

void applyFont(GtkWidget* label, const ui::Font& font) {
  if (!GTK_IS_LABEL(label)) return;
  PangoAttrList* attrs = pango_attr_list_new();
  if (font.bold) pango_attr_list_insert(attrs, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
  if (font.italic) pango_attr_list_insert(attrs, pango_attr_style_new(PANGO_STYLE_ITALIC));
  if (font.underline)
    pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  // Only sizes above the design default stand out (titles); the rest keep
  // the desktop's size.
  if (font.height < -11) {
    pango_attr_list_insert(attrs, pango_attr_size_new_absolute(-font.height * PANGO_SCALE));
  }
  PangoColor colour;
  if (pangoColour(font.color, colour)) {
    pango_attr_list_insert(attrs, pango_attr_foreground_new(colour.red, colour.green, colour.blue));
  }
  gtk_label_set_attributes(GTK_LABEL(label), attrs);
  pango_attr_list_unref(attrs);
}

// The background of an edit field: the desktop's own colours stand for the
// system colours of a window (clWindow) and of a button face (clBtnFace).
void applyBackground(GtkWidget* entry, ui::Color colour) {
  std::string value;
  if (colour == ui::clWindow) {
    value = "@theme_base_color";
  } else if (colour == ui::clBtnFace) {
    value = "@theme_bg_color";
  } else if (PangoColor rgb; pangoColour(colour, rgb)) {
    char hex[8];
    g_snprintf(hex, sizeof hex, "#%02x%02x%02x", rgb.red >> 8, rgb.green >> 8, rgb.blue >> 8);
    value = hex;
  } else {
    return;
  }
  // One provider per field, reloaded on each change; the widget keeps it
  // for as long as it lives.
  constexpr const char* kProviderKey = "pellora-background";
  auto* provider = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(entry), kProviderKey));
  if (!provider) {
    provider = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(entry),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(entry), kProviderKey, provider, g_object_unref);
  }
  const std::string css =
      "entry, entry:disabled { background-color: " + value + "; background-image: none; }";
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
}

}  // namespace

FormBinding::FormBinding(ui::Form& form, Hooks hooks) : form_(form), hooks_(std::move(hooks)) {
  top_ = buildContainer(form_);
  g_object_ref_sink(top_);
  gtk_widget_set_name(top_, form_.name().c_str());
  bind(form_, top_);
}

FormBinding::~FormBinding() {
  for (auto& bound : bound_) {
    bound->control->changed.disconnect(bound->connection);
    if (bound->widget) g_signal_handlers_disconnect_by_data(bound->widget, bound.get());
    for (GtkWidget* item : bound->itemWidgets)
      g_signal_handlers_disconnect_by_data(item, bound.get());
  }
  sourceViews_.clear();
  for (GtkWidget* menu : menus_) {
    gtk_widget_destroy(menu);
    g_object_unref(menu);
  }
  gtk_widget_destroy(top_);
  g_object_unref(top_);
}

GtkWidget* FormBinding::widgetFor(const std::string& name) const {
  auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : found->second->widget;
}

FormBinding::Bound& FormBinding::bind(Control& control, GtkWidget* widget) {
  auto bound = std::make_unique<Bound>();
  bound->owner = this;
  bound->control = &control;
  bound->widget = widget;
  Bound& ref = *bound;
  bound_.push_back(std::move(bound));
  byName_[control.name()] = &ref;
  if (widget) {
    gtk_widget_set_name(widget, control.name().c_str());
    g_object_set_data(G_OBJECT(widget), kBoundKey, &ref);
  }
  ref.connection =
      control.changed.connect([this, &ref](Control&, Property property) { apply(ref, property); });
  return ref;
}

GtkWidget* FormBinding::buildContainer(Control& control) {
  // Tool bars and the page control stack; everything else keeps its bounds.
  if (!hasClientChild(control)) {
    GtkWidget* fixed = gtk_fixed_new();
    for (const auto& child : control.children()) {
      if (GtkWidget* widget = build(*child)) place(fixed, *child, widget);
    }
    const ui::Bounds& b = control.bounds();
    if (b.width > 0 && b.height > 0 && control.kind() != ControlKind::Form) {
      gtk_widget_set_size_request(fixed, b.width, b.height);
    }
    return fixed;
  }
  GtkWidget* overlay = gtk_overlay_new();
  GtkWidget* stack = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(overlay), stack);
  for (const auto& child : control.children()) {
    GtkWidget* widget = build(*child);
    if (!widget) continue;
    if (child->align() == ui::Align::Client) {
      gtk_box_pack_start(GTK_BOX(stack), widget, TRUE, TRUE, 0);
    } else if (child->align() == ui::Align::Top) {
      gtk_box_pack_start(GTK_BOX(stack), widget, FALSE, FALSE, 0);
    } else {
      // Floating panels (the status display) stand where the model
      // places them, at their design size and in their design font.
      styleDialog(widget, child->font());
      gtk_overlay_add_overlay(GTK_OVERLAY(overlay), widget);
    }
  }
  g_signal_connect(overlay, "get-child-position",
                   G_CALLBACK((guardedCallback<&onFloatingPosition>)), nullptr);
  gtk_widget_show(stack);
  return overlay;
}

gboolean FormBinding::onFloatingPosition(GtkOverlay* overlay, GtkWidget* widget,
                                         GdkRectangle* where, gpointer) {
  auto* bound = static_cast<Bound*>(g_object_get_data(G_OBJECT(widget), kBoundKey));
  if (!bound) return FALSE;
  const ui::Bounds& b = bound->control->bounds();
  GtkRequisition natural;
  gtk_widget_get_preferred_size(widget, nullptr, &natural);
  where->width = b.width > 0 ? b.width : natural.width;
  where->height = b.height > 0 ? b.height : natural.height;
  // Inside the form, however small it is.
  const int room = gtk_widget_get_allocated_width(GTK_WIDGET(overlay)) - where->width;
  const int depth = gtk_widget_get_allocated_height(GTK_WIDGET(overlay)) - where->height;
  where->x = std::max(0, std::min(b.left, room));
  where->y = std::max(0, std::min(b.top, depth));
  return TRUE;
}

// The model learns where its stacked parts really are: the status panel is
// placed from the visual editor's page and the tool-bar band (see
// TMainForm::placeStatusPanel).
void FormBinding::onAllocated(GtkWidget* widget, GdkRectangle* allocation, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  int left = 0, top = 0;
  if (!gtk_widget_translate_coordinates(widget, bound.owner->top_, 0, 0, &left, &top)) {
    // Not realized yet (the first allocation): the form's widgets share
    // one window, so allocations compare directly.
    GtkAllocation form;
    gtk_widget_get_allocation(bound.owner->top_, &form);
    left = allocation->x - form.x;
    top = allocation->y - form.y;
  }
  const ui::Bounds now{left, top, allocation->width, allocation->height};
  if (bound.control->bounds() != now) bound.control->setBounds(now);
}

// Dialogs keep their design bounds in pixels at 96 dpi; GTK's own scale
// factor (the desktop's) is the only scaling.
void FormBinding::place(GtkWidget* fixed, Control& child, GtkWidget* widget) {
  const ui::Bounds& b = child.bounds();
  gtk_fixed_put(GTK_FIXED(fixed), widget, b.left, b.top);
  if (b.width > 0 && b.height > 0) gtk_widget_set_size_request(widget, b.width, b.height);
}

GtkWidget* FormBinding::build(Control& control) {
  GtkWidget* widget = nullptr;
  switch (control.kind()) {
    case ControlKind::Form:
    case ControlKind::TabSheet:
      widget = buildContainer(control);
      break;
    case ControlKind::Panel: {
      widget = gtk_frame_new(nullptr);
      gtk_frame_set_shadow_type(GTK_FRAME(widget), GTK_SHADOW_OUT);
      GtkWidget* inner = buildContainer(control);
      gtk_widget_show(inner);
      gtk_container_add(GTK_CONTAINER(widget), inner);
      gtk_style_context_add_class(gtk_widget_get_style_context(widget), "background");
      break;
    }
    case ControlKind::GroupBox: {
      // Children sit relative to the group's corner, caption included: the
      // frame is drawn first, behind them, in a container of the group's size.
      GtkWidget* inner = gtk_fixed_new();
      GtkWidget* frame = gtk_frame_new(nullptr);
      const ui::Bounds& b = control.bounds();
      gtk_widget_set_size_request(frame, b.width, b.height);
      gtk_fixed_put(GTK_FIXED(inner), frame, 0, 0);
      gtk_widget_show(frame);
      for (const auto& child : control.children()) {
        if (GtkWidget* built = build(*child)) place(inner, *child, built);
      }
      Bound& bound = bind(control, frame);
      bound.outer = inner;
      applyAll(bound);
      return inner;
    }
    case ControlKind::CoolBar:
      widget = buildCoolBar(control);
      break;
    case ControlKind::ToolBar:
      widget = buildToolBar(control);
      break;
    case ControlKind::PageControl:
      widget = buildPageControl(control);
      break;
    case ControlKind::Label: {
      GtkWidget* label = gtk_label_new(nullptr);
      switch (control.textAlign()) {
        case ui::TextAlign::Left:
          gtk_label_set_xalign(GTK_LABEL(label), 0);
          break;
        case ui::TextAlign::Center:
          gtk_label_set_xalign(GTK_LABEL(label), 0.5);
          gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
          break;
        case ui::TextAlign::Right:
          gtk_label_set_xalign(GTK_LABEL(label), 1);
          gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_RIGHT);
          break;
      }
      gtk_label_set_yalign(GTK_LABEL(label), 0);
      if (control.onClick) {
        // A clickable label (a link): an event box gives it clicks and the
        // hand cursor.
        widget = gtk_event_box_new();
        gtk_container_add(GTK_CONTAINER(widget), label);
        gtk_widget_show(label);
        Bound& bound = bind(control, label);
        bound.outer = widget;
        g_signal_connect(widget, "button-press-event",
                         G_CALLBACK((guardedCallback<&onLinkPressed>)), &bound);
        g_signal_connect(widget, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer) {
                           GdkCursor* hand =
                               gdk_cursor_new_from_name(gtk_widget_get_display(w), "pointer");
                           gdk_window_set_cursor(gtk_widget_get_window(w), hand);
                           if (hand) g_object_unref(hand);
                         }),
                         nullptr);
        bound.itemWidgets.push_back(widget);
        applyAll(bound);
        return widget;
      }
      widget = label;
      break;
    }
    case ControlKind::Button:
      widget = gtk_button_new_with_mnemonic("");
      if (control.isDefault()) {
        gtk_widget_set_can_default(widget, TRUE);
        defaultButton_ = &control;
      }
      if (control.isCancel()) cancelButton_ = &control;
      break;
    case ControlKind::Edit:
      widget = gtk_entry_new();
      gtk_entry_set_activates_default(GTK_ENTRY(widget), TRUE);
      // No width of its own: the design width counts.
      gtk_entry_set_width_chars(GTK_ENTRY(widget), 0);
      break;
    case ControlKind::CheckBox:
      widget = gtk_check_button_new_with_mnemonic("");
      break;
    case ControlKind::RadioButton: {
      // Radio buttons of one parent form one group.
      GtkWidget* group = nullptr;
      for (const auto& sibling : control.parent()->children()) {
        if (sibling.get() == &control) break;
        if (sibling->kind() == ControlKind::RadioButton) group = widgetFor(sibling->name());
      }
      widget = group ? gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(group), "")
                     : gtk_radio_button_new_with_mnemonic(nullptr, "");
      break;
    }
    case ControlKind::ComboBox:
      widget = gtk_combo_box_text_new();
      break;
    case ControlKind::CheckListBox: {
      GtkWidget* list = gtk_list_box_new();
      gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), GTK_SELECTION_NONE);
      widget = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(widget), GTK_SHADOW_IN);
      gtk_container_add(GTK_CONTAINER(widget), list);
      gtk_widget_show(list);
      break;
    }
    case ControlKind::ProgressBar:
      widget = gtk_progress_bar_new();
      break;
    case ControlKind::SourceEditor: {
      auto source = std::make_unique<SourceViewBinding>(control, [this](const GdkEvent* event) {
        for (const auto& child : form_.children()) {
          if (child->kind() == ControlKind::PopupMenu) return popupMenu(*child, event);
        }
      });
      widget = source->widget();
      Bound& bound = bind(control, GTK_WIDGET(source->view()));
      bound.outer = widget;
      bound.source = source.get();
      sourceViews_.push_back(std::move(source));
      applyAll(bound);
      return widget;
    }
    case ControlKind::VisualEditor:
      widget = hooks_.visualEditor ? hooks_.visualEditor(control) : nullptr;
      if (!widget) widget = gtk_label_new("");
      break;
    case ControlKind::PopupMenu:
      buildMenu(control);
      return nullptr;
    default:
      // Kinds without a view of their own here (bevels, images, up-downs).
      return nullptr;
  }
  Bound& bound = bind(control, widget);
  switch (control.kind()) {
    case ControlKind::Button:
      g_signal_connect(widget, "clicked", G_CALLBACK((guardedCallback<&onClicked>)), &bound);
      break;
    case ControlKind::Edit:
      g_signal_connect(widget, "changed", G_CALLBACK((guardedCallback<&onEntryChanged>)), &bound);
      break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      g_signal_connect(widget, "toggled", G_CALLBACK((guardedCallback<&onToggled>)), &bound);
      break;
    case ControlKind::ComboBox:
      g_signal_connect(widget, "changed", G_CALLBACK((guardedCallback<&onComboChanged>)), &bound);
      break;
    case ControlKind::CoolBar:
      g_signal_connect(widget, "size-allocate", G_CALLBACK((guardedCallback<&onAllocated>)),
                       &bound);
      break;
    default:
      break;
  }
  applyAll(bound);
  return widget;
}

GtkWidget* FormBinding::buildCoolBar(Control& coolBar) {
  // Bands sit in rows by their design top.
  GtkWidget* rows = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  std::map<int, GtkWidget*> rowAt;
  for (const auto& bar : coolBar.children()) {
    GtkWidget*& row = rowAt[bar->bounds().top];
    if (!row) {
      row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
      gtk_box_pack_start(GTK_BOX(rows), row, FALSE, FALSE, 0);
      gtk_widget_show(row);
    }
    GtkWidget* toolbar = build(*bar);
    gtk_box_pack_start(GTK_BOX(row), toolbar, FALSE, FALSE, 0);
  }
  // The last band of a row takes the rest of it.
  for (auto& [top, row] : rowAt) {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(row));
    if (GList* last = g_list_last(kids)) {
      gtk_box_set_child_packing(GTK_BOX(row), GTK_WIDGET(last->data), TRUE, TRUE, 0,
                                GTK_PACK_START);
    }
    g_list_free(kids);
  }
  return rows;
}

GtkWidget* FormBinding::buildToolBar(Control& bar) {
  GtkWidget* toolbar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_ICONS);
  gtk_toolbar_set_icon_size(GTK_TOOLBAR(toolbar), GTK_ICON_SIZE_SMALL_TOOLBAR);
  // Bars do not wrap: buttons that do not fit move to the bar's overflow
  // menu, so the window can be narrower than its tool bars.
  gtk_toolbar_set_show_arrow(GTK_TOOLBAR(toolbar), TRUE);
  registerOwnIcons();
  for (const auto& child : bar.children()) {
    Control& control = *child;
    GtkToolItem* item = nullptr;
    GtkWidget* widget = nullptr;
    if (control.kind() == ControlKind::ToolButton) {
      switch (control.toolStyle()) {
        case ui::ToolButtonStyle::Separator:
          item = gtk_separator_tool_item_new();
          break;
        case ui::ToolButtonStyle::Check:
        case ui::ToolButtonStyle::Group:
          item = gtk_toggle_tool_button_new();
          break;
        case ui::ToolButtonStyle::Button:
          item = gtk_tool_button_new(nullptr, nullptr);
          break;
      }
      widget = GTK_WIDGET(item);
      if (control.toolStyle() != ui::ToolButtonStyle::Separator) {
        gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(item), control.icon().c_str());
        gtk_tool_button_set_label(GTK_TOOL_BUTTON(item), control.name().c_str());
      }
    } else {
      widget = build(control);
      if (!widget) continue;
      item = gtk_tool_item_new();
      gtk_container_add(GTK_CONTAINER(item), widget);
      gtk_widget_show(widget);
      if (Bound* bound = byName_[control.name()]) {
        bound->outer = GTK_WIDGET(item);
        if (control.kind() == ControlKind::ComboBox) addListProxy(*bound, item);
      }
    }
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
    gtk_widget_show(GTK_WIDGET(item));
    if (control.kind() == ControlKind::ToolButton &&
        control.toolStyle() != ui::ToolButtonStyle::Separator) {
      Bound& bound = bind(control, widget);
      g_signal_connect(widget, GTK_IS_TOGGLE_TOOL_BUTTON(item) ? "toggled" : "clicked",
                       G_CALLBACK((guardedCallback<&onClicked>)), &bound);
      addOverflowProxy(bound, item);
      applyAll(bound);
    } else if (control.kind() == ControlKind::ToolButton) {
      bind(control, widget);
    }
  }
  return toolbar;
}

GtkWidget* FormBinding::buildPageControl(Control& pages) {
  GtkWidget* notebook = gtk_notebook_new();
  gtk_notebook_set_tab_pos(GTK_NOTEBOOK(notebook), GTK_POS_BOTTOM);
  gtk_widget_set_can_focus(notebook, FALSE);
  for (const auto& sheet : pages.children()) {
    GtkWidget* page = build(*sheet);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_widget_set_size_request(label, 70, -1);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), page, label);
    if (Bound* bound = byName_[sheet->name()]) {
      bound->tabLabel = label;
      applyAll(*bound);
      g_signal_connect(page, "size-allocate", G_CALLBACK((guardedCallback<&onAllocated>)), bound);
    }
  }
  Bound& bound = bind(pages, notebook);
  g_signal_connect(notebook, "switch-page", G_CALLBACK((guardedCallback<&onSwitchPage>)), &bound);
  applyAll(bound);
  return notebook;
}

// The entry stands for the button in the overflow menu: labelled with the
// button's hint, checked and enabled as the button is, and choosing it
// clicks the button in the model (see apply and onProxyActivate).
void FormBinding::addOverflowProxy(Bound& bound, GtkToolItem* item) {
  GtkWidget* proxy = nullptr;
  if (GTK_IS_TOGGLE_TOOL_BUTTON(item)) {
    proxy = gtk_check_menu_item_new_with_label("");
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(proxy),
                                          bound.control->toolStyle() == ui::ToolButtonStyle::Group);
  } else {
    proxy = gtk_menu_item_new_with_label("");
  }
  gtk_tool_item_set_proxy_menu_item(item, kProxyId, proxy);
  bound.proxy = proxy;
  bound.itemWidgets.push_back(proxy);
  g_signal_connect(proxy, "activate", G_CALLBACK((guardedCallback<&onProxyActivate>)), &bound);
  // The button's own default would replace the entry with one labelled
  // by the button's internal name.
  g_signal_connect(item, "create-menu-proxy",
                   G_CALLBACK((guardedCallback<&onCreateMenuProxy, TRUE>)), &bound);
}

gboolean FormBinding::onCreateMenuProxy(GtkToolItem* item, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  gtk_tool_item_set_proxy_menu_item(item, kProxyId, bound.proxy);
  return TRUE;
}

// A list in a tool bar (the styles) overflows as a submenu of its items,
// built afresh each time the overflow menu opens; choosing one chooses it
// in the list, as the user would.
void FormBinding::addListProxy(Bound& bound, GtkToolItem* item) {
  GtkWidget* proxy = gtk_menu_item_new_with_label("");
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(proxy), gtk_menu_new());
  gtk_tool_item_set_proxy_menu_item(item, kProxyId, proxy);
  bound.proxy = proxy;
  // Disconnected with the binding, like the list's own handlers.
  bound.itemWidgets.push_back(GTK_WIDGET(item));
  g_signal_connect(item, "create-menu-proxy",
                   G_CALLBACK((guardedCallback<&onCreateListProxy, TRUE>)), &bound);
  apply(bound, Property::Hint);
  apply(bound, Property::Enabled);
}

gboolean FormBinding::onCreateListProxy(GtkToolItem* item, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  Control& control = *bound.control;
  GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bound.proxy));
  GList* old = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* entry = old; entry; entry = entry->next) gtk_widget_destroy(GTK_WIDGET(entry->data));
  g_list_free(old);
  GSList* group = nullptr;
  for (std::size_t i = 0; i < control.items().size(); ++i) {
    GtkWidget* entry =
        gtk_radio_menu_item_new_with_label(group, caption(control.items()[i]).c_str());
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(entry));
    if (static_cast<int>(i) == control.itemIndex())
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(entry), TRUE);
    g_object_set_data(G_OBJECT(entry), "pellora-index", GINT_TO_POINTER(static_cast<int>(i)));
    // Connected after the state is set: only the user's choice counts.
    g_signal_connect(entry, "activate", G_CALLBACK((guardedCallback<&onListProxyChosen>)), &bound);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
    gtk_widget_show(entry);
  }
  gtk_tool_item_set_proxy_menu_item(item, kProxyId, bound.proxy);
  return TRUE;
}

void FormBinding::onListProxyChosen(GtkWidget* entry, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  // Radio entries also activate when they lose their mark.
  if (bound.following || !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(entry))) return;
  const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(entry), "pellora-index"));
  // The list's own handler takes it from here: refused while a script
  // result is awaited, else the model's choice and its change handler.
  gtk_combo_box_set_active(GTK_COMBO_BOX(bound.widget), index);
}

void FormBinding::onProxyActivate(GtkWidget*, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  onClicked(bound.widget, data);
}

GtkWidget* FormBinding::buildMenu(Control& menu) {
  GtkWidget* gtkMenu = gtk_menu_new();
  g_object_ref_sink(gtkMenu);
  bind(menu, gtkMenu);
  for (const auto& child : menu.children()) {
    GtkWidget* item = child->caption() == "-" ? gtk_separator_menu_item_new()
                                              : gtk_menu_item_new_with_mnemonic("");
    gtk_menu_shell_append(GTK_MENU_SHELL(gtkMenu), item);
    gtk_widget_show(item);
    Bound& bound = bind(*child, item);
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) continue;
    g_signal_connect(item, "activate", G_CALLBACK((guardedCallback<&onClicked>)), &bound);
    applyAll(bound);
  }
  // Not inside the widget tree: the binding destroys it itself.
  menus_.push_back(gtkMenu);
  return gtkMenu;
}

void FormBinding::popupMenu(Control& menu, const GdkEvent* trigger) {
  menu.click();
  GtkWidget* gtkMenu = widgetFor(menu.name());
  if (!gtkMenu) return;
  if (trigger) {
    gtk_menu_popup_at_pointer(GTK_MENU(gtkMenu), trigger);
    return;
  }
  // Opened from the keyboard: below the widget that has the focus.
  GtkWidget* toplevel = gtk_widget_get_toplevel(top_);
  GtkWidget* anchor =
      GTK_IS_WINDOW(toplevel) ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
  if (anchor && gtk_widget_get_realized(anchor))
    gtk_menu_popup_at_widget(GTK_MENU(gtkMenu), anchor, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST,
                             nullptr);
}

void FormBinding::applyAll(Bound& bound) {
  for (Property p : {Property::Caption, Property::Hint, Property::Text, Property::Enabled,
                     Property::Visible, Property::Down, Property::Checked, Property::Items,
                     Property::ItemIndex, Property::ItemChecked, Property::Position, Property::Font,
                     Property::Color, Property::ActivePage, Property::Selection}) {
    apply(bound, p);
  }
}

void FormBinding::rebuildItems(Bound& bound) {
  Control& control = *bound.control;
  if (GTK_IS_COMBO_BOX_TEXT(bound.widget)) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(bound.widget));
    for (const std::string& item : control.items()) {
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(bound.widget), caption(item).c_str());
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(bound.widget), control.itemIndex());
    return;
  }
  if (control.kind() != ControlKind::CheckListBox) return;
  GtkWidget* list = gtk_bin_get_child(GTK_BIN(bound.widget));
  if (GTK_IS_VIEWPORT(list)) list = gtk_bin_get_child(GTK_BIN(list));
  for (GtkWidget* item : bound.itemWidgets) {
    g_signal_handlers_disconnect_by_data(item, &bound);
  }
  bound.itemWidgets.clear();
  GList* rows = gtk_container_get_children(GTK_CONTAINER(list));
  for (GList* row = rows; row; row = row->next) gtk_widget_destroy(GTK_WIDGET(row->data));
  g_list_free(rows);
  for (std::size_t i = 0; i < control.items().size(); ++i) {
    GtkWidget* check = gtk_check_button_new_with_label(caption(control.items()[i]).c_str());
    g_object_set_data(G_OBJECT(check), "pellora-index", GINT_TO_POINTER(static_cast<int>(i)));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check),
                                 control.itemChecked(static_cast<int>(i)));
    g_signal_connect(check, "toggled", G_CALLBACK((guardedCallback<&onItemToggled>)), &bound);
    gtk_list_box_insert(GTK_LIST_BOX(list), check, -1);
    gtk_widget_show(check);
    bound.itemWidgets.push_back(check);
  }
}

void FormBinding::apply(Bound& bound, Property property) {
  Control& control = *bound.control;
  GtkWidget* widget = bound.widget;
  GtkWidget* outer = bound.outer ? bound.outer : widget;
  if (!widget) return;
  bound.following = true;
  switch (property) {
    case Property::Caption:
      if (control.kind() == ControlKind::Form) {
        if (GtkWidget* window = gtk_widget_get_toplevel(widget); GTK_IS_WINDOW(window)) {
          gtk_window_set_title(GTK_WINDOW(window), caption(control.caption()).c_str());
        }
      } else if (bound.tabLabel) {
        gtk_label_set_text(GTK_LABEL(bound.tabLabel), caption(control.caption()).c_str());
        // The page's views are known to screen readers by the tab's name.
        for (const auto& child : control.children()) {
          if (child->align() != ui::Align::Client) continue;
          const auto view = byName_.find(child->name());
          if (view != byName_.end() && view->second->widget)
            setAccessibleName(view->second->widget, caption(control.caption()));
        }
      } else if (GTK_IS_LABEL(widget)) {
        gtk_label_set_text(GTK_LABEL(widget), caption(control.caption()).c_str());
      } else if (GTK_IS_FRAME(widget)) {
        if (control.kind() == ControlKind::GroupBox)
          gtk_frame_set_label(GTK_FRAME(widget), caption(control.caption()).c_str());
      } else if (GTK_IS_MENU_ITEM(widget)) {
        gtk_menu_item_set_label(GTK_MENU_ITEM(widget), mnemonic(control.caption()).c_str());
      } else if (GTK_IS_BUTTON(widget)) {
        gtk_button_set_label(GTK_BUTTON(widget), mnemonic(control.caption()).c_str());
      }
      break;
    case Property::Hint:
      if (!control.hint().empty()) {
        gtk_widget_set_tooltip_text(outer, caption(control.hint()).c_str());
        setAccessibleName(widget, caption(control.hint()));
      } else {
        gtk_widget_set_tooltip_text(outer, nullptr);
      }
      if (bound.proxy)
        gtk_menu_item_set_label(GTK_MENU_ITEM(bound.proxy), caption(control.hint()).c_str());
      break;
    case Property::Text:
      if (bound.source) {
        bound.source->apply(property);
      } else if (GTK_IS_ENTRY(widget)) {
        const std::string text = toWidgetText(control.text());
        if (text != gtk_entry_get_text(GTK_ENTRY(widget)))
          gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
      }
      break;
    case Property::Selection:
      if (bound.source) bound.source->apply(property);
      break;
    case Property::Enabled:
      gtk_widget_set_sensitive(outer, control.enabled());
      if (bound.proxy) gtk_widget_set_sensitive(bound.proxy, control.enabled());
      break;
    case Property::Visible:
      // Forms are shown by whoever hosts them.
      // The model decides: a host's "show all" must not reveal hidden ones.
      if (control.kind() != ControlKind::Form) {
        gtk_widget_set_no_show_all(outer, TRUE);
        gtk_widget_set_visible(outer, control.visible());
      }
      break;
    case Property::Down:
      if (GTK_IS_TOGGLE_TOOL_BUTTON(widget))
        gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(widget), control.down());
      if (bound.proxy && GTK_IS_CHECK_MENU_ITEM(bound.proxy))
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(bound.proxy), control.down());
      break;
    case Property::Checked:
      if (GTK_IS_TOGGLE_BUTTON(widget) && !GTK_IS_MENU_ITEM(widget))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.checked());
      break;
    case Property::Items:
      rebuildItems(bound);
      break;
    case Property::ItemIndex:
      if (GTK_IS_COMBO_BOX(widget))
        gtk_combo_box_set_active(GTK_COMBO_BOX(widget), control.itemIndex());
      break;
    case Property::ItemChecked:
      if (control.kind() != ControlKind::CheckListBox) break;
      for (std::size_t i = 0; i < bound.itemWidgets.size(); ++i) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(bound.itemWidgets[i]),
                                     control.itemChecked(static_cast<int>(i)));
      }
      break;
    case Property::Position:
      if (GTK_IS_PROGRESS_BAR(widget)) {
        const int span = std::max(1, control.maximum() - control.minimum());
        const double fraction = static_cast<double>(control.position() - control.minimum()) / span;
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(widget), std::clamp(fraction, 0.0, 1.0));
      }
      break;
    case Property::Font:
      applyFont(widget, control.font());
      break;
    case Property::Color:
      if (GTK_IS_ENTRY(widget)) applyBackground(widget, control.color());
      break;
    case Property::Bounds:
      // A floating panel follows its place in the model.
      if (GTK_IS_OVERLAY(gtk_widget_get_parent(outer))) gtk_widget_queue_resize(outer);
      break;
    case Property::ActivePage:
      if (GTK_IS_NOTEBOOK(widget)) {
        auto& pages = static_cast<ui::PageControl&>(control);
        if (gtk_notebook_get_current_page(GTK_NOTEBOOK(widget)) != pages.activePageIndex())
          gtk_notebook_set_current_page(GTK_NOTEBOOK(widget), pages.activePageIndex());
      }
      break;
    default:
      break;
  }
  bound.following = false;
}

// ---- user input into the model ------------------------------------------------
//
// Clicks, choices and page switches start commands: while a script result is
// awaited they are refused (callback_boundary.h). Typed text and check marks
// only set values and always reach the model.

void FormBinding::onClicked(GtkWidget* widget, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  Control& control = *bound.control;
  if (!GTK_IS_TOGGLE_TOOL_BUTTON(widget)) {
    if (!scriptResultAwaited()) control.click();
    return;
  }
  // The model decides the toggle's state; the widget follows it afterwards,
  // after a refused or failed click too. The click may have closed the form
  // (and this binding with it) only for dialog buttons, never for tool
  // buttons, so the binding is still here.
  struct Follow {
    Bound& bound;
    ~Follow() { bound.owner->apply(bound, Property::Down); }
  } follow{bound};
  if (!scriptResultAwaited()) control.click();
}

void FormBinding::onToggled(GtkWidget* widget, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  const bool active = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
  // Check boxes and radio buttons run their logic on the checked state.
  bound.control->setChecked(active);
}

void FormBinding::onEntryChanged(GtkWidget* widget, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  bound.control->setText(fromWidgetText(gtk_entry_get_text(GTK_ENTRY(widget))));
  if (bound.control->onChange) bound.control->onChange();
}

void FormBinding::onComboChanged(GtkWidget* widget, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  if (scriptResultAwaited()) {
    // Refused: the list shows the model's choice again.
    bound.owner->apply(bound, Property::ItemIndex);
    return;
  }
  bound.control->setItemIndex(gtk_combo_box_get_active(GTK_COMBO_BOX(widget)));
  // Only the user's choice raises the change handler.
  if (bound.control->onChange) bound.control->onChange();
}

void FormBinding::onSwitchPage(GtkNotebook* notebook, GtkWidget*, guint page, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  auto& pages = static_cast<ui::PageControl&>(*bound.control);
  // The notebook shows the model's page: a switch that was refused, failed
  // or was turned back by the model does not happen.
  struct Settle {
    Bound& bound;
    GtkNotebook* notebook;
    ui::PageControl& pages;
    int page;
    ~Settle() {
      bound.following = false;
      if (pages.activePageIndex() != page) g_signal_stop_emission_by_name(notebook, "switch-page");
    }
  } settle{bound, notebook, pages, static_cast<int>(page)};
  if (scriptResultAwaited()) return;
  bound.following = true;
  pages.selectPage(static_cast<int>(page));
}

void FormBinding::onItemToggled(GtkWidget* widget, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (bound.following) return;
  const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "pellora-index"));
  bound.control->setItemChecked(index, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)));
}

gboolean FormBinding::onLinkPressed(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto& bound = *static_cast<Bound*>(data);
  if (event->button != GDK_BUTTON_PRIMARY || event->type != GDK_BUTTON_PRESS) return FALSE;
  if (!scriptResultAwaited()) bound.control->click();
  return TRUE;
}

}  // namespace pellora::gtk
