// Find all and the status line's count update in an item of 1 MB.
// - Find all: the visual view's page finds a word in the text as shown
//   (read afresh, as after an edit), marks every match and selects the
//   first, against a bare GtkSourceView search context counting the same
//   word in the same item's source; the two take turns.
// - Count update: the page's counts after one typed character (only the
//   touched block counted again, the find bar closed; timed over 500
//   characters less typing them alone, as the page's clock counts whole
//   milliseconds) against counting the whole page afresh, and the HTML
//   view's word delta for one typed character against counting its whole
//   text.
// Printed are medians in milliseconds and the median pairwise ratios.
// Needs a display: run under xvfb-run. Never pass/fail.
//   find_bench [REPETITIONS, default 21]
#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_text.h"
#include "content/word_count.h"
#include "exchange/document_template.h"
#include "gtk_bench_support.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace {

using pellora::bench::median;

template <typename F>
double millis(F f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void settle() {
  for (int i = 0; i < 1000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

// Characters typed to time the kept count update.
constexpr int kTyped = 500;

// A change of no consequence, so the page reads its text afresh.
constexpr const char* kTouch =
    "(()=>{const t=document.createTextNode('');document.body.appendChild(t);t.remove();})();";

struct Figures {
  std::vector<double> a, b, ratio;
  void add(double x, double y) {
    a.push_back(x);
    b.push_back(y);
    ratio.push_back(x / std::max(y, 1e-6));
  }
  void print(const char* what, const char* peer) const {
    std::printf("%-28s %10.4f ms   %-30s %10.4f ms   ratio %9.5f   (%zu reps)\n", what, median(a),
                peer, median(b), median(ratio), a.size());
  }
};

}  // namespace

int main(int argc, char** argv) {
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) return 1;
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const std::string body = pellora::bench::sampleBody(std::size_t{1} << 20, "\n");
  const char* word = "formatting";

  pellora::test::SurfaceHandlers handlers;
  auto surface = std::make_unique<pellora::gtk::WebKitEditingSurface>();
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  gtk_container_add(GTK_CONTAINER(window), surface->widget());
  gtk_widget_show_all(window);
  surface->setClient(&handlers);
  bool complete = false;
  handlers.documentComplete = [&] { complete = true; };
  surface->setDocumentHTML(pellora::wrapInDocumentTemplate(body));
  pellora::bench::runUntil(complete);
  handlers.documentComplete = nullptr;
  settle();

  GtkSourceBuffer* bare = gtk_source_buffer_new(nullptr);
  gtk_text_buffer_set_text(GTK_TEXT_BUFFER(bare), body.data(), static_cast<gint>(body.size()));
  GtkSourceSearchSettings* settings = gtk_source_search_settings_new();
  GtkSourceSearchContext* context = gtk_source_search_context_new(bare, settings);

  Figures find, pageCount, sourceCount;
  long pageMatches = 0, bareMatches = 0;
  for (int r = 0; r < repetitions; ++r) {
    settle();
    const std::string answer = surface->evaluateForTesting(
        std::string("(()=>{") + kTouch +
        "pellora.endFind();const t0=performance.now();const a=pellora.find('" + word +
        "',false,false,0);return (performance.now()-t0)+' '+a.count;})()");
    const double page = std::atof(answer.c_str());
    pageMatches = std::atol(answer.c_str() + answer.find(' ') + 1);
    settle();
    gtk_source_search_settings_set_search_text(settings, nullptr);
    const double peer = millis([&] {
      gtk_source_search_settings_set_search_text(settings, word);
      while (gtk_source_search_context_get_occurrences_count(context) < 0)
        g_main_context_iteration(nullptr, TRUE);
    });
    bareMatches = gtk_source_search_context_get_occurrences_count(context);
    find.add(page, peer);

    // One character typed in the middle, then the counts kept against the
    // counts made afresh. The page's clock counts whole milliseconds: the
    // kept update is timed over many characters, each followed by an
    // update, less the same characters typed without one.
    const std::string counts = surface->evaluateForTesting(
        "(()=>{pellora.endFind();const ps=document.body.querySelectorAll('p');"
        "const t=ps[ps.length>>1].firstChild;"
        "getSelection().collapse(t,3);document.execCommand('insertText',false,'x');"
        "pellora.counts();const n=" +
        std::to_string(kTyped) +
        ";const t0=performance.now();"
        "for(let i=0;i<n;++i){t.insertData(3,'x');pellora.counts();}"
        "const t1=performance.now();"
        "for(let i=0;i<n;++i){t.insertData(3,'x');}pellora.counts();"
        "const t2=performance.now();t.deleteData(3,2*n);"
        "pellora.countsAfresh();"
        "return ((t1-t0-(t2-t1))/n)+' '+(performance.now()-t2);})()");
    pageCount.add(std::atof(counts.c_str()), std::atof(counts.c_str() + counts.find(' ') + 1));

    sourceCount.add(millis([&] {
                      volatile long gained = pellora::content::wordsGained('a', "x", 'b');
                      (void)gained;
                    }),
                    millis([&] {
                      volatile long words = pellora::content::countText(body).words;
                      (void)words;
                    }));
  }
  std::printf("1 MB item; matches: page %ld, source %ld\n", pageMatches, bareMatches);
  find.print("find all (visual view)", "GtkSourceSearchContext count");
  pageCount.print("count update (visual view)", "whole page counted afresh");
  sourceCount.print("count update (HTML view)", "whole source counted afresh");
  g_object_unref(context);
  g_object_unref(settings);
  g_object_unref(bare);
  surface.reset();
  gtk_widget_destroy(window);
  return 0;
}
