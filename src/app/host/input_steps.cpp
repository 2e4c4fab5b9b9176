// Where the caret goes and what the user types: words are found in either
// view, keys go as key events to the focused widget, through the same input
// method and key bindings as a keyboard's.
#include <webkit2/webkit2.h>

#include <cstdio>

#include "app/host/script_steps.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/key_stroke.h"

namespace pellora::host {

namespace {

enum class Place { Select, Start, End };

bool inHtml(const Words& args, std::size_t at) {
  return args.size() == at + 2 && args[at] == "in" && args[at + 1] == "html";
}

bool placeInVisualView(StepContext& c, const std::string& word, Place place) {
  GtkWidget* view = visualView(c.window);
  if (!view || !gtk_widget_get_mapped(view)) return why("the visual view is not showing (tab 0)");
  gtk_widget_grab_focus(view);
  // The word's first occurrence in one text node becomes the selection.
  const char* mode = place == Place::Select ? "select" : place == Place::Start ? "start" : "end";
  const std::string script =
      "(function(w,mode){const t=document.createTreeWalker(document.body,4);"
      "while(t.nextNode()){const n=t.currentNode;const i=n.data.indexOf(w);if(i<0)continue;"
      "const r=document.createRange();r.setStart(n,i);r.setEnd(n,i+w.length);"
      "if(mode!=='select')r.collapse(mode==='start');"
      "const s=getSelection();s.removeAllRanges();s.addRange(r);return true;}"
      "return false;})(" +
      jsString(word) + "," + jsString(mode) + ")";
  const auto found = evaluate(view, script);
  settle();
  if (!found) return false;
  // The page reports the new selection in a task of its own: after it, the
  // editor's button states are current.
  awaitPageReports(c.window);
  return *found == "true" || why("\"" + word + "\" is not in the visual view");
}

bool placeInHtmlView(StepContext& c, const std::string& word, Place place) {
  GtkWidget* view = htmlView(c.window);
  if (!view || !gtk_widget_get_mapped(view)) return why("the HTML view is not showing (tab 1)");
  gtk_widget_grab_focus(view);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter start, from, to;
  gtk_text_buffer_get_start_iter(buffer, &start);
  if (!gtk_text_iter_forward_search(&start, word.c_str(), GtkTextSearchFlags(0), &from, &to,
                                    nullptr))
    return why("\"" + word + "\" is not in the HTML view");
  if (place == Place::Select)
    gtk_text_buffer_select_range(buffer, &to, &from);
  else
    gtk_text_buffer_place_cursor(buffer, place == Place::Start ? &from : &to);
  gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(view), gtk_text_buffer_get_insert(buffer));
  settle();
  return true;
}

}  // namespace

void pressKey(GtkWidget* window, guint keyval, GdkModifierType modifiers) {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
  const bool web = focus && WEBKIT_IS_WEB_VIEW(focus);
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    gtk::sendKeyEvent(window, {keyval, modifiers}, type);
    settle();
    // WebKit queues key events until the page has handled the one before:
    // a round trip after each keeps later steps behind them.
    if (web) evaluate(focus, "0");
  }
}

namespace {

// The focused view, which must be showing.
GtkWidget* typingTarget(StepContext& c) {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(c.window));
  if (!focus || !gtk_widget_get_mapped(focus)) {
    why("no view has the focus (use select or caret first)");
    return nullptr;
  }
  return focus;
}

}  // namespace

bool selectStep(StepContext& c, const Words& args) {
  if (args.size() != 1 && !inHtml(args, 1)) return why("usage: select WORD [in html]");
  return inHtml(args, 1) ? placeInHtmlView(c, args[0], Place::Select)
                         : placeInVisualView(c, args[0], Place::Select);
}

bool caretStep(StepContext& c, const Words& args) {
  if ((args.size() != 2 && !inHtml(args, 2)) || (args[1] != "start" && args[1] != "end"))
    return why("usage: caret WORD start|end [in html]");
  const Place place = args[1] == "start" ? Place::Start : Place::End;
  return inHtml(args, 2) ? placeInHtmlView(c, args[0], place)
                         : placeInVisualView(c, args[0], place);
}

bool typeStep(StepContext& c, const Words& args) {
  if (!typingTarget(c)) return false;
  if (!g_utf8_validate(args[0].c_str(), -1, nullptr)) return why("the text is not UTF-8");
  for (const char* p = args[0].c_str(); *p; p = g_utf8_next_char(p)) {
    const gunichar character = g_utf8_get_char(p);
    pressKey(c.window, gdk_unicode_to_keyval(character), GdkModifierType(0));
  }
  return true;
}

bool keyStep(StepContext& c, const Words& args) {
  if (!typingTarget(c)) return false;
  const auto stroke = gtk::parseKeyStroke(args[0]);
  if (!stroke) return why("unknown key or modifier in " + args[0]);
  pressKey(c.window, stroke->keyval, stroke->mods);
  return true;
}

// An image viewer's copy: the picture goes on the clipboard as image data
// (no file, no address); the host owns the clipboard until it ends.
bool clipboardStep(StepContext&, const Words& args) {
  GError* error = nullptr;
  const gtk::GObjectPtr<GdkPixbuf> picture(gdk_pixbuf_new_from_file(args[0].c_str(), &error));
  const gtk::GErrorPtr failure(error);
  if (!picture) return why(args[0] + ": " + (failure ? failure->message : "not an image"));
  gtk_clipboard_set_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), picture.get());
  settle();
  return true;
}

}  // namespace pellora::host
