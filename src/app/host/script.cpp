#include "app/host/script.h"

#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>

#include "platform/gtk/key_stroke.h"
#include "platform/gtk/widget_search.h"

namespace pellora::host {

namespace {

using gtk::findWidget;

GtkWidget* findWebView(GtkWidget* root) {
  return gtk::findWidgetIf(root, [](GtkWidget* widget) { return WEBKIT_IS_WEB_VIEW(widget); });
}

void settle() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Runs the main loop until `done` or a generous deadline.
template <typename F>
bool runUntil(F done) {
  const gint64 deadline = g_get_monotonic_time() + 30 * G_USEC_PER_SEC;
  while (!done()) {
    if (g_get_monotonic_time() > deadline) return false;
    gtk_main_iteration_do(FALSE);
    if (!gtk_events_pending()) g_usleep(2000);
  }
  return true;
}

std::string strip(std::string label) {
  std::string out;
  for (char c : label)
    if (c != '_') out += c;
  return out;
}

// Presses the button labelled `label` (or named so) inside `root`.
bool pressButton(GtkWidget* root, const std::string& label) {
  if (GTK_IS_BUTTON(root)) {
    const gchar* text = gtk_button_get_label(GTK_BUTTON(root));
    if ((text && strip(text) == strip(label)) || label == gtk_widget_get_name(root)) {
      gtk_button_clicked(GTK_BUTTON(root));
      return true;
    }
  }
  if (!GTK_IS_CONTAINER(root)) return false;
  GList* kids = gtk_container_get_children(GTK_CONTAINER(root));
  bool done = false;
  for (GList* k = kids; k && !done; k = k->next) done = pressButton(GTK_WIDGET(k->data), label);
  g_list_free(kids);
  return done;
}

}  // namespace

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

ScriptRunner::ScriptRunner(ModuleClient& control, GtkWidget* window)
    : control_(control), window_(window) {
  if (window_) {
    hook_ = g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, onMap, this,
                                       nullptr);
  }
}

ScriptRunner::~ScriptRunner() {
  if (hook_) g_signal_remove_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), hook_);
}

// A window of the control opened (a message box or a dialog): answer it as
// the script said, once the window waits for the user.
gboolean ScriptRunner::onMap(GSignalInvocationHint*, guint, const GValue* values, gpointer data) {
  auto* self = static_cast<ScriptRunner*>(data);
  GObject* object = G_OBJECT(g_value_get_object(&values[0]));
  if (!GTK_IS_WINDOW(object) || GTK_WIDGET(object) == self->window_) return TRUE;
  // Only modal windows wait for an answer (not menus or tooltips).
  if (gtk_window_get_window_type(GTK_WINDOW(object)) != GTK_WINDOW_TOPLEVEL ||
      !gtk_window_get_modal(GTK_WINDOW(object)))
    return TRUE;
  g_object_ref(object);
  g_idle_add_full(
      G_PRIORITY_LOW,
      +[](gpointer pair) -> gboolean {
        auto* args = static_cast<std::pair<ScriptRunner*, GtkWindow*>*>(pair);
        args->first->answerOpenWindow(args->second);
        return G_SOURCE_REMOVE;
      },
      new std::pair<ScriptRunner*, GtkWindow*>(self, GTK_WINDOW(object)),
      +[](gpointer pair) {
        auto* args = static_cast<std::pair<ScriptRunner*, GtkWindow*>*>(pair);
        g_object_unref(args->second);
        delete args;
      });
  return TRUE;
}

void ScriptRunner::answerOpenWindow(GtkWindow* window) {
  const char* title = gtk_window_get_title(window);
  std::printf("  [%s] %s\n", gtk_widget_get_name(GTK_WIDGET(window)), title ? title : "");
  if (GTK_IS_MESSAGE_DIALOG(window)) {
    GValue text = G_VALUE_INIT;
    g_value_init(&text, G_TYPE_STRING);
    g_object_get_property(G_OBJECT(window), "text", &text);
    std::printf("  | %s\n", g_value_get_string(&text));
    g_value_unset(&text);
  }
  for (const auto& [name, text] : fields_) {
    if (GtkWidget* field = findWidget(GTK_WIDGET(window), name); field && GTK_IS_ENTRY(field))
      gtk_entry_set_text(GTK_ENTRY(field), text.c_str());
  }
  fields_.clear();
  for (const std::string& text : ticks_) {
    GtkWidget* entry = gtk::findWidgetIf(GTK_WIDGET(window), [&text](GtkWidget* widget) {
      const gchar* label =
          GTK_IS_CHECK_BUTTON(widget) ? gtk_button_get_label(GTK_BUTTON(widget)) : nullptr;
      return label && std::string(label).find(text) != std::string::npos;
    });
    if (!entry) continue;
    std::printf("  ticked %s\n", gtk_button_get_label(GTK_BUTTON(entry)));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(entry), TRUE);
  }
  ticks_.clear();
  const std::string answer = answers_.empty() ? "OK" : answers_.front();
  if (!answers_.empty()) answers_.erase(answers_.begin());
  std::printf("  answered %s\n", answer.c_str());
  if (!pressButton(GTK_WIDGET(window), answer)) {
    // A box without that button is closed as by its frame.
    gtk_window_close(window);
  }
}

bool ScriptRunner::run(const std::vector<std::string>& lines) {
  bool ok = true;
  for (const std::string& line : lines) {
    const auto words = splitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    std::printf("> %s\n", line.c_str());
    std::fflush(stdout);
    if (!step(words)) {
      ok = false;
      std::printf("  failed\n");
    }
    std::fflush(stdout);
  }
  return ok;
}

bool ScriptRunner::step(const std::vector<std::string>& words) {
  const std::string& verb = words[0];
  const std::vector<std::string> args(words.begin() + 1, words.end());
  GtkWidget* editor = window_;
  if (verb == "Params" || verb == "Options" || verb == "Load" || verb == "Save" ||
      verb == "Close") {
    const ModuleClient::Result result = control_.call(verb, args);
    settle();
    std::printf("  %s%s%s\n", result.hr >= 0 ? "S_OK" : "failed", result.error.empty() ? "" : ": ",
                result.error.c_str());
    return result.hr >= 0;
  }
  if (verb == "get" && args.size() == 1) {
    const ModuleClient::Result result = control_.get(args[0]);
    std::printf("  %s = %s\n", args[0].c_str(), result.value.c_str());
    return result.hr >= 0;
  }
  if (verb == "answer" && args.size() == 1) {
    answers_.push_back(args[0]);
    return true;
  }
  if (verb == "tick" && args.size() == 1) {
    ticks_.push_back(args[0]);
    return true;
  }
  if (verb == "set" && args.size() == 2) {
    fields_.emplace_back(args[0], args[1]);
    return true;
  }
  if (verb == "echo") {
    std::string text;
    for (const auto& a : args) text += (text.empty() ? "" : " ") + a;
    std::printf("  %s\n", text.c_str());
    return true;
  }
  if (!editor) {
    std::printf("  needs a display\n");
    return false;
  }
  if (verb == "wait") {
    GtkWidget* view = findWebView(editor);
    const bool done = runUntil([view] {
      // The surface marks the view busy from the put of a document until
      // the editor has seen it complete.
      return !view || (!webkit_web_view_is_loading(WEBKIT_WEB_VIEW(view)) &&
                       !g_object_get_data(G_OBJECT(view), "pellora-busy"));
    });
    settle();
    return done;
  }
  if (verb == "select" && args.size() == 1) {
    GtkWidget* view = findWebView(editor);
    if (!view) return false;
    gtk_widget_grab_focus(view);
    // The word's first occurrence becomes the document's selection.
    gchar* quoted = g_strescape(args[0].c_str(), nullptr);
    const std::string script =
        std::string("(function(){const w=\"") + quoted +
        "\";const t=document.createTreeWalker(document.body,4);"
        "while(t.nextNode()){const i=t.currentNode.data.indexOf(w);"
        "if(i>=0){const r=document.createRange();r.setStart(t.currentNode,i);"
        "r.setEnd(t.currentNode,i+w.length);const s=getSelection();"
        "s.removeAllRanges();s.addRange(r);return true;}}return false;})()";
    g_free(quoted);
    bool finished = false;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(view), script.c_str(), -1, nullptr, nullptr, nullptr,
        +[](GObject*, GAsyncResult*, gpointer flag) { *static_cast<bool*>(flag) = true; },
        &finished);
    const bool done = runUntil([&finished] { return finished; });
    settle();
    return done;
  }
  if (verb == "click" && args.size() == 1) {
    GtkWidget* target = findWidget(editor, args[0]);
    if (!target || !gtk_widget_is_sensitive(target)) {
      std::printf("  %s is not there or disabled\n", args[0].c_str());
      return false;
    }
    if (GTK_IS_TOGGLE_TOOL_BUTTON(target)) {
      auto* toggle = GTK_TOGGLE_TOOL_BUTTON(target);
      gtk_toggle_tool_button_set_active(toggle, !gtk_toggle_tool_button_get_active(toggle));
    } else if (GTK_IS_TOOL_BUTTON(target)) {
      g_signal_emit_by_name(target, "clicked");
    } else if (GTK_IS_BUTTON(target)) {
      gtk_button_clicked(GTK_BUTTON(target));
    } else {
      return false;
    }
    settle();
    return true;
  }
  if (verb == "tab" && args.size() == 1) {
    GtkWidget* pages = findWidget(editor, "PageControl");
    if (!pages) return false;
    gtk_notebook_set_current_page(GTK_NOTEBOOK(pages), std::atoi(args[0].c_str()));
    settle();
    return true;
  }
  if (verb == "state" && args.size() == 1) {
    GtkWidget* target = findWidget(editor, args[0]);
    if (!target) return false;
    const bool down = GTK_IS_TOGGLE_TOOL_BUTTON(target) &&
                      gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(target));
    std::string shown;
    if (GTK_IS_COMBO_BOX_TEXT(target)) {
      gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(target));
      shown = std::string(", \"") + (active ? active : "") + "\"";
      g_free(active);
    }
    std::printf("  %s: %s, %s%s\n", args[0].c_str(), down ? "down" : "up",
                gtk_widget_is_sensitive(target) ? "enabled" : "disabled", shown.c_str());
    return true;
  }
  if (verb == "hint" && args.size() == 1) {
    GtkWidget* target = findWidget(editor, args[0]);
    if (!target) return false;
    gchar* tip = gtk_widget_get_tooltip_text(target);
    std::printf("  %s: %s\n", args[0].c_str(), tip ? tip : "");
    g_free(tip);
    return true;
  }
  if (verb == "key" && (args.size() == 1 || args.size() == 2)) {
    const auto stroke = gtk::parseKeyStroke(args[0]);
    GtkWidget* target =
        args.size() == 2 ? findWidget(editor, args[1]) : gtk_window_get_focus(GTK_WINDOW(window_));
    if (!stroke || !target || !gtk::sendKeyStroke(target, *stroke)) return false;
    settle();
    return true;
  }
  if (verb == "source") {
    GtkWidget* view = findWidget(editor, "mmoHTML");
    if (!view || !GTK_IS_TEXT_VIEW(view)) return false;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    GtkTextIter a, b;
    gtk_text_buffer_get_bounds(buffer, &a, &b);
    gchar* text = gtk_text_buffer_get_text(buffer, &a, &b, TRUE);
    std::printf("%s\n", text);
    g_free(text);
    return true;
  }
  if (verb == "screenshot" && args.size() == 1) {
    settle();
    GdkWindow* native = gtk_widget_get_window(window_);
    if (!native) return false;
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(native, 0, 0, gdk_window_get_width(native),
                                                 gdk_window_get_height(native));
    if (!shot) return false;
    const bool saved = gdk_pixbuf_save(shot, args[0].c_str(), "png", nullptr, nullptr);
    g_object_unref(shot);
    std::printf("  wrote %s\n", args[0].c_str());
    return saved;
  }
  std::printf("  unknown step\n");
  return false;
}

}  // namespace pellora::host
