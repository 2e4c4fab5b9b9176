// The blocking part of an edit in the HTML view against a bare GtkSourceView
// buffer of the same language holding the same text: one typed character in
// the middle of the text, a 1 KB paste there, and the undo of the paste. The
// two take turns, edit by edit, so a drift of the machine's speed hits both;
// printed are the medians of each side and of the pairwise ratios.
// Needs a display: run under xvfb-run. Never pass/fail.
//   source_view_bench [REPETITIONS, default 41]
#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench_text.h"
#include "exchange/editing_context.h"
#include "platform/gtk/source_view.h"

namespace {

void settle() {
  for (int i = 0; i < 1000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

template <typename F>
double millis(F f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// One buffer under test: its caret sits in the middle of the text.
struct Side {
  GtkTextBuffer* buffer;
  GtkSourceBuffer* source;
  void caretToMiddle() {
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_offset(buffer, &at, gtk_text_buffer_get_char_count(buffer) / 2);
    gtk_text_buffer_place_cursor(buffer, &at);
  }
  double type() {
    return millis([&] { gtk_text_buffer_insert_interactive_at_cursor(buffer, "x", 1, TRUE); });
  }
  double paste(const std::string& text) {
    return millis([&] {
      gtk_text_buffer_begin_user_action(buffer);
      gtk_text_buffer_insert_interactive_at_cursor(buffer, text.data(),
                                                   static_cast<gint>(text.size()), TRUE);
      gtk_text_buffer_end_user_action(buffer);
    });
  }
  double undo() {
    return millis([&] { gtk_source_buffer_undo(source); });
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) return 1;
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;
  std::string paste;
  while (paste.size() < 1024) paste += "<td class=\"c\">\xC5\x82</td>";

  std::printf("%-8s %-6s %12s %12s %12s %6s\n", "size", "edit", "view_ms", "bare_ms", "ratio",
              "reps");
  for (std::size_t size : {std::size_t{100} << 10, std::size_t{1} << 20, std::size_t{4} << 20}) {
    const std::string text = pellora::bench::sampleBody(size, "\n");

    // The HTML view as the editor drives it: every change names the text
    // for the editing context.
    pellora::ui::Control model(pellora::ui::ControlKind::SourceEditor, "mmoHTML");
    model.resetText(text);
    model.onChange = [&model] { pellora::followContentBody([&model] { return model.text(); }); };
    pellora::gtk::SourceViewBinding view(model, nullptr);
    Side viewSide{GTK_TEXT_BUFFER(view.buffer()), view.buffer()};

    GtkSourceBuffer* bare = gtk_source_buffer_new(nullptr);
    gtk_source_buffer_set_language(bare, pellora::gtk::htmlViewLanguage());
    gtk_source_buffer_set_style_scheme(bare, pellora::gtk::htmlViewScheme());
    GtkWidget* bareView = gtk_source_view_new_with_buffer(bare);
    g_object_ref_sink(bareView);
    gtk_source_buffer_begin_not_undoable_action(bare);
    gtk_text_buffer_set_text(GTK_TEXT_BUFFER(bare), text.data(), static_cast<gint>(text.size()));
    gtk_source_buffer_end_not_undoable_action(bare);
    Side bareSide{GTK_TEXT_BUFFER(bare), bare};
    viewSide.caretToMiddle();
    bareSide.caretToMiddle();
    settle();

    std::vector<double> a[3], b[3], ratio[3];
    for (int r = 0; r < repetitions; ++r) {
      // Each edit comes after the main loop ran dry, as a keystroke does.
      // The first edit after that pays for caches the idle work evicted, so
      // the side that goes first alternates.
      Side* sides[2] = {&viewSide, &bareSide};
      if (r % 2 == 1) std::swap(sides[0], sides[1]);
      double times[3][2];
      for (Side* side : sides) {
        const int i = side == &viewSide ? 0 : 1;
        settle();
        times[0][i] = side->type();
      }
      for (Side* side : sides) {
        const int i = side == &viewSide ? 0 : 1;
        settle();
        times[1][i] = side->paste(paste);
      }
      for (Side* side : sides) {
        const int i = side == &viewSide ? 0 : 1;
        settle();
        times[2][i] = side->undo();
      }
      for (int op = 0; op < 3; ++op) {
        a[op].push_back(times[op][0]);
        b[op].push_back(times[op][1]);
        ratio[op].push_back(times[op][0] / std::max(times[op][1], 1e-6));
      }
    }
    const char* names[3] = {"type", "paste", "undo"};
    for (int op = 0; op < 3; ++op) {
      std::printf("%-8zu %-6s %12.4f %12.4f %12.2f %6d\n", size, names[op],
                  pellora::bench::median(a[op]), pellora::bench::median(b[op]),
                  pellora::bench::median(ratio[op]), repetitions);
    }
    // The text the editor reads whole is still right.
    if (pellora::editingContext().ContentBody.size() < text.size()) std::printf("mismatch\n");
    g_object_unref(bareView);
  }
  return 0;
}
