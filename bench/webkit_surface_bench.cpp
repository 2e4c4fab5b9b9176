// The cost of one display change of the WebKit editing surface as the
// editor handles it (busy flag, the undo snapshot's two body reads and its
// comparison, seventeen status queries, the block-format query and its
// name), after one typed character, for documents of 10 KB, 100 KB and
// 1 MB. "Cached" is the surface as it ships: the states and a difference of
// the body come with the page's notification. "Naive" makes one script
// round trip per query and fetches the whole body for each read.
//
// Needs a display: run under xvfb-run. Never pass/fail.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <memory>
#include <string>

#include "bench_text.h"
#include "exchange/document_template.h"
#include "gtk_bench_support.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace {

using pellora::gtk::WebKitEditingSurface;
namespace ui = pellora::ui;

constexpr int kStateIds[] = {
    ui::DECMD_BOLD,          ui::DECMD_ITALIC,       ui::DECMD_UNDERLINE,  ui::DECMD_JUSTIFYLEFT,
    ui::DECMD_JUSTIFYCENTER, ui::DECMD_JUSTIFYRIGHT, ui::DECMD_ORDERLIST,  ui::DECMD_UNORDERLIST,
    ui::DECMD_CUT,           ui::DECMD_COPY,         ui::DECMD_PASTE,      ui::DECMD_INSERTROW,
    ui::DECMD_DELETEROWS,    ui::DECMD_INSERTCOL,    ui::DECMD_DELETECOLS, ui::DECMD_MERGECELLS,
    ui::DECMD_SPLITCELL,
};

using pellora::bench::runUntil;

// One view per document size, kept across the runs of both ways.
struct Fixture {
  // Declared first: it outlives the surface that tells it.
  pellora::test::SurfaceHandlers handlers;
  std::unique_ptr<WebKitEditingSurface> surface;
  GtkWidget* window = nullptr;
  bool changed = false;
  std::string undoBody;
  // How long the last display change took the editor's handler.
  double handlerSeconds = 0;

  explicit Fixture(std::size_t bytes) : surface(std::make_unique<WebKitEditingSurface>()) {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), surface->widget());
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(surface->widget());
    surface->setClient(&handlers);
    bool complete = false;
    handlers.documentComplete = [&] { complete = true; };
    surface->setDocumentHTML(pellora::wrapInDocumentTemplate(pellora::bench::sampleBody(bytes)));
    runUntil(complete);
    handlers.documentComplete = nullptr;
    // The editor handles a display change inside the surface's
    // notification, where the states of that change are cached.
    handlers.displayChanged = [this] {
      const auto start = std::chrono::steady_clock::now();
      displayChange();
      handlerSeconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      changed = true;
    };
    surface->evaluateForTesting(
        "(()=>{const r=document.createRange();r.selectNodeContents(document.body.lastChild);"
        "r.collapse(false);getSelection().removeAllRanges();getSelection().addRange(r);})()");
    undoBody = surface->DOM()->bodyInnerHTML();
  }
  ~Fixture() { gtk_widget_destroy(window); }

  // Types one character as an input method does and waits until the
  // surface's notification has been handled.
  void type() {
    changed = false;
    webkit_web_view_execute_editing_command_with_argument(WEBKIT_WEB_VIEW(surface->widget()),
                                                          "InsertText", "x");
    runUntil(changed);
  }

  // What the editor does on a display change.
  void displayChange() {
    benchmark::DoNotOptimize(surface->Busy());
    ui::HtmlDocument* document = surface->DOM();
    const std::string snapshot = document->bodyInnerHTML();
    benchmark::DoNotOptimize(undoBody != document->bodyInnerHTML());
    benchmark::DoNotOptimize(snapshot.size());
    for (int id : kStateIds) benchmark::DoNotOptimize(surface->QueryStatus(id));
    if (surface->QueryStatus(ui::DECMD_GETBLOCKFMT) == ui::DECMDF_ENABLED) {
      benchmark::DoNotOptimize(
          surface->ExecCommand(ui::DECMD_GETBLOCKFMT, ui::OLECMDEXECOPT_DODEFAULT, {}));
    }
  }
};

Fixture& fixture(std::size_t bytes) { return pellora::bench::fixtureOfSize<Fixture>(bytes); }

// The display change alone, as the user interface thread spends it.
void displayChange(benchmark::State& state, bool cached) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  f.surface->setCachingForTesting(cached);
  for (auto _ : state) {
    f.type();
    state.SetIterationTime(f.handlerSeconds);
  }
}

// From the key press to the handled display change, the page's own work
// included.
void keystroke(benchmark::State& state, bool cached) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  f.surface->setCachingForTesting(cached);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    f.type();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_DisplayChange_Cached(benchmark::State& state) { displayChange(state, true); }
void BM_DisplayChange_Naive(benchmark::State& state) { displayChange(state, false); }
void BM_Keystroke_Cached(benchmark::State& state) { keystroke(state, true); }
void BM_Keystroke_Naive(benchmark::State& state) { keystroke(state, false); }

// A fixed, short count: left to itself the library types thousands of
// characters into the first case alone.
#define SIZES                                                                         \
  Arg(10 << 10)->Arg(100 << 10)->Arg(1 << 20)->Iterations(25)->UseManualTime()->Unit( \
      benchmark::kMillisecond)
BENCHMARK(BM_DisplayChange_Cached)->SIZES;
BENCHMARK(BM_DisplayChange_Naive)->SIZES;
BENCHMARK(BM_Keystroke_Cached)->SIZES;
BENCHMARK(BM_Keystroke_Naive)->SIZES;

}  // namespace

int main(int argc, char** argv) { return pellora::bench::runGtkBenchmarks(argc, argv); }
