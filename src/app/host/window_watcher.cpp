#include "app/host/window_watcher.h"

#include <algorithm>
#include <cstdio>

#include "app/host/widget_text.h"
#include "app/host/window_capture.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/signal_connection.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

// One modal window on screen: its answer runs once the window waits for the
// user, its grace timer closes it if it is still there. The watcher owns it
// until the window is unmapped.
struct WindowWatcher::Pending {
  Pending(WindowWatcher* owner, GtkWindow* window) : owner(owner), window(gtk::retain(window)) {}
  ~Pending() {
    if (idle) g_source_remove(idle);
    if (timer) g_source_remove(timer);
  }
  Pending(const Pending&) = delete;
  Pending& operator=(const Pending&) = delete;

  WindowWatcher* owner;
  // Declared first, so the reference goes last: the window may be in its
  // destruction.
  gtk::GObjectPtr<GtkWindow> window;
  gtk::SignalConnection unmapped;
  guint idle = 0;
  guint timer = 0;
};

namespace {

GtkWidget* findButton(GtkWidget* root, const std::string& label) {
  return gtk::findWidgetIf(root, [&label](GtkWidget* widget) {
    if (!GTK_IS_BUTTON(widget) || GTK_IS_TOGGLE_BUTTON(widget)) return false;
    const gchar* text = gtk_button_get_label(GTK_BUTTON(widget));
    return (text && sameCaption(text, label)) || label == gtk_widget_get_name(widget);
  });
}

// By name or caption; else the first check list entry whose caption holds
// `name`, since those entries are long paths with a note after them.
GtkWidget* findToggle(GtkWidget* root, const std::string& name) {
  return gtk::findWidgetIf(root, [&name](GtkWidget* widget) {
    if (!GTK_IS_TOGGLE_BUTTON(widget)) return false;
    const gchar* text = gtk_button_get_label(GTK_BUTTON(widget));
    return name == gtk_widget_get_name(widget) || (text && sameCaption(text, name));
  });
}

// A check box whose caption holds `part` (a list entry by its file name).
GtkWidget* findToggleHolding(GtkWidget* root, const std::string& part) {
  return gtk::findWidgetIf(root, [&part](GtkWidget* widget) {
    if (!GTK_IS_CHECK_BUTTON(widget)) return false;
    const gchar* text = gtk_button_get_label(GTK_BUTTON(widget));
    return text && std::string(text).find(part) != std::string::npos;
  });
}

}  // namespace

WindowWatcher::WindowWatcher() {
  hook_ =
      g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, onMap, this, nullptr);
}

WindowWatcher::~WindowWatcher() {
  g_signal_remove_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), hook_);
}

void WindowWatcher::queueAnswer(const std::string& label) { answers_.push_back(label); }

void WindowWatcher::queueField(const std::string& name, const std::string& text) {
  settings_.push_back({Setting::By::Name, name, text, false});
}

void WindowWatcher::queueCheck(const std::string& name, bool on) {
  settings_.push_back({Setting::By::Name, name, on ? "on" : "off", true});
}

void WindowWatcher::queueFill(const std::string& label, const std::string& text) {
  settings_.push_back({Setting::By::Label, label, text, false});
}

void WindowWatcher::queueCapture(const std::string& file) { captures_.push_back(file); }

void WindowWatcher::fail(const char* why) {
  std::printf("  %s\n", why);
  ++failures_;
}

gboolean WindowWatcher::onMap(GSignalInvocationHint*, guint, const GValue* values, gpointer data) {
  GObject* object = G_OBJECT(g_value_get_object(&values[0]));
  // Only modal windows wait for an answer (not menus, tooltips or the host).
  if (GTK_IS_WINDOW(object) &&
      gtk_window_get_window_type(GTK_WINDOW(object)) == GTK_WINDOW_TOPLEVEL &&
      gtk_window_get_modal(GTK_WINDOW(object))) {
    static_cast<WindowWatcher*>(data)->watch(GTK_WINDOW(object));
  }
  return TRUE;
}

void WindowWatcher::watch(GtkWindow* window) {
  Pending* pending = pending_.emplace_back(std::make_unique<Pending>(this, window)).get();
  // Unmapped: the record goes, and with it its sources, its handler and
  // its reference.
  auto forget = +[](GtkWidget*, gpointer data) {
    auto* p = static_cast<Pending*>(data);
    std::erase_if(p->owner->pending_, [p](const auto& held) { return held.get() == p; });
  };
  pending->unmapped = gtk::SignalConnection(window, "unmap", G_CALLBACK(forget), pending);
  // Answered once the window runs its modal loop and waits for the user.
  pending->idle = g_idle_add_full(
      G_PRIORITY_LOW,
      +[](gpointer data) -> gboolean {
        auto* p = static_cast<Pending*>(data);
        p->idle = 0;
        p->owner->answer(p->window.get());
        return G_SOURCE_REMOVE;
      },
      pending, nullptr);
  pending->timer = g_timeout_add_seconds(
      kGraceSeconds,
      +[](gpointer data) -> gboolean {
        auto* p = static_cast<Pending*>(data);
        p->timer = 0;
        std::printf("  [%s] still open after %u s: closed by its frame\n",
                    gtk_widget_get_name(GTK_WIDGET(p->window.get())), kGraceSeconds);
        p->owner->fail("the window was not answered");
        std::fflush(stdout);
        // Closing may unmap the window and so end `p`: nothing of it after.
        gtk_window_close(p->window.get());
        return G_SOURCE_REMOVE;
      },
      pending);
}

bool WindowWatcher::apply(GtkWindow* window, const Setting& setting) {
  GtkWidget* root = GTK_WIDGET(window);
  if (setting.by == Setting::By::Label) {
    GtkWidget* field = fieldLabelled(root, setting.key);
    if (!field || !GTK_IS_ENTRY(field)) return false;
    gtk_entry_set_text(GTK_ENTRY(field), setting.text.c_str());
    return true;
  }
  if (setting.toggle) {
    GtkWidget* box = findToggle(root, setting.key);
    if (!box) box = findToggleHolding(root, setting.key);
    if (!box) return false;
    const bool on = setting.text == "on";
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), on);
    const gchar* caption = gtk_button_get_label(GTK_BUTTON(box));
    std::printf("  %s %s\n", on ? "ticked" : "unticked",
                caption ? caption : gtk_widget_get_name(box));
    return true;
  }
  GtkWidget* field = gtk::findWidget(root, setting.key);
  if (!field || !GTK_IS_ENTRY(field)) return false;
  gtk_entry_set_text(GTK_ENTRY(field), setting.text.c_str());
  return true;
}

void WindowWatcher::answer(GtkWindow* window) {
  const char* title = gtk_window_get_title(window);
  std::printf("  [%s] %s\n", gtk_widget_get_name(GTK_WIDGET(window)), title ? title : "");
  if (GTK_IS_MESSAGE_DIALOG(window)) {
    gchar* text = nullptr;
    g_object_get(window, "text", &text, nullptr);
    std::printf("  | %s\n", text ? text : "");
    g_free(text);
    // Left to right, as the user reads them.
    std::string buttons;
    gtk::findWidgetIf(GTK_WIDGET(window), [&buttons](GtkWidget* widget) {
      if (GTK_IS_BUTTON(widget) && gtk_widget_get_visible(widget)) {
        const gchar* label = gtk_button_get_label(GTK_BUTTON(widget));
        buttons += (buttons.empty() ? "" : " | ") + plainCaption(label ? label : "");
      }
      return false;
    });
    std::printf("  buttons: %s\n", buttons.c_str());
  }
  if (answers_.empty()) {
    std::printf("  no answer in the script: closing it after %u s\n", kGraceSeconds);
    std::fflush(stdout);
    return;
  }
  // As the user first sees it, before any field is set. The window may go
  // while it draws (closed by the control): the answer then has nothing to
  // act on.
  gtk::GObjectPtr<GtkWindow> held = gtk::retain(window);
  for (const std::string& file : captures_) {
    std::string error;
    if (writeWindowPng(GTK_WIDGET(window), file, error)) {
      std::printf("  wrote %s\n", file.c_str());
    } else {
      const std::string why = "cannot capture this window: " + error;
      fail(why.c_str());
    }
  }
  captures_.clear();
  if (!gtk_widget_get_mapped(GTK_WIDGET(window))) return;
  for (const Setting& setting : settings_) {
    if (!apply(window, setting)) {
      const std::string why = "this window has no field " + setting.key;
      fail(why.c_str());
    }
  }
  settings_.clear();
  const std::string label = answers_.front();
  answers_.erase(answers_.begin());
  std::printf("  answered %s\n", label.c_str());
  std::fflush(stdout);
  GtkWidget* root = GTK_WIDGET(window);
  // A radio button or check box as the answer: set it, then confirm. A
  // button of that caption comes before a list entry that merely holds it
  // (a path with "OK" in a folder's name is no answer "OK").
  GtkWidget* box = findToggle(root, label);
  if (!box && !findButton(root, label)) box = findToggleHolding(root, label);
  if (box) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), TRUE);
    GtkWidget* ok = findButton(root, "OK");
    if (!ok) {
      fail("this window has no OK button");
      return;
    }
    gtk_button_clicked(GTK_BUTTON(ok));
    return;
  }
  if (GtkWidget* button = findButton(root, label)) {
    gtk_button_clicked(GTK_BUTTON(button));
    return;
  }
  const std::string why = "this window has no button " + label + ": closed by its frame";
  fail(why.c_str());
  gtk_window_close(window);
}

}  // namespace pellora::host
