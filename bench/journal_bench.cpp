// The user-interface thread's share of one journal write with the WebKit
// surface, after one typed character, for documents of 10 KB, 100 KB and
// 1 MB: the timer's handler, which takes the body snapshot (the surface's
// cached body, its additions filtered) and hands it to the writer thread.
// Besides the wall time, "ui_cpu_ms" is the handler's thread CPU time. "WholeDocument" is the naive
// way for comparison: the document serialised afresh and its body extracted on this thread.
// "WriterThread" is the writer's own work per draft (extraction, encoding,
// atomic write with fsync), which the user-interface thread never waits for.
//
// Needs a display: run under xvfb-run. Never pass/fail.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <time.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_text.h"
#include "content/extract_body.h"
#include "editor/draft_journal.h"
#include "exchange/document_template.h"
#include "gtk_bench_support.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace {

using pellora::BodySnapshot;
using pellora::DraftJournal;
using pellora::gtk::WebKitEditingSurface;
namespace ui = pellora::ui;

// Timers the benchmark fires by hand, timing the handler.
class HandTimers : public ui::Timers {
 public:
  std::unique_ptr<ui::Timer> startTimer(std::chrono::milliseconds,
                                        std::function<void()> action) override {
    pending = std::move(action);
    return std::make_unique<ui::Timer>();
  }
  // Runs the handler; returns its wall time and adds its thread CPU time
  // (the part other processes on a busy machine cannot inflate) to `cpu`.
  double fire() {
    std::function<void()> action = std::move(pending);
    const double cpuStart = threadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    action();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += threadCpuSeconds() - cpuStart;
    return wall;
  }
  static double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  }
  double cpu = 0;
  std::function<void()> pending;
};

struct Fixture {
  // Declared first: it outlives the surface that tells it.
  pellora::test::SurfaceHandlers handlers;
  std::unique_ptr<WebKitEditingSurface> surface;
  GtkWidget* window = nullptr;
  HandTimers timers;
  std::filesystem::path folder;
  std::unique_ptr<DraftJournal> journal;
  bool changed = false;

  explicit Fixture(std::size_t bytes) : surface(std::make_unique<WebKitEditingSurface>()) {
    char pattern[] = "/tmp/pellora-journal-bench-XXXXXX";
    folder = ::mkdtemp(pattern);
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), surface->widget());
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(surface->widget());
    surface->setClient(&handlers);
    bool complete = false;
    handlers.documentComplete = [&] { complete = true; };
    surface->setDocumentHTML(pellora::wrapInDocumentTemplate(pellora::bench::sampleBody(bytes)));
    pellora::bench::runUntil(complete);
    handlers.documentComplete = nullptr;
    // As the editor's display change does: the undo snapshot reads the body.
    handlers.displayChanged = [this] {
      benchmark::DoNotOptimize(surface->DOM()->bodyInnerHTML());
      journal->changed();
      changed = true;
    };
    surface->evaluateForTesting(
        "(()=>{const r=document.createRange();r.selectNodeContents(document.body.lastChild);"
        "r.collapse(false);getSelection().removeAllRanges();getSelection().addRange(r);})()");

    DraftJournal::Setup setup;
    setup.folder = folder;
    setup.now = [] { return std::chrono::system_clock::now(); };
    setup.timers = &timers;
    journal = std::make_unique<DraftJournal>(setup, [this]() -> std::optional<BodySnapshot> {
      // What the editor form's snapshot does in the visual view.
      ui::HtmlDocument* document = surface->DOM();
      if (surface->Busy() || !document) return std::nullopt;
      return BodySnapshot{surface->FilterSourceCode(document->bodyInnerHTML()),
                          BodySnapshot::Kind::VisualBody};
    });
    journal->itemLoaded({"http://127.0.0.1/t", "Bench"});
    journal->documentCompleted();
  }
  ~Fixture() {
    journal.reset();
    gtk_widget_destroy(window);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void type() {
    changed = false;
    webkit_web_view_execute_editing_command_with_argument(WEBKIT_WEB_VIEW(surface->widget()),
                                                          "InsertText", "x");
    pellora::bench::runUntil(changed);
  }
};

Fixture& fixture(std::size_t bytes) { return pellora::bench::fixtureOfSize<Fixture>(bytes); }

void BM_JournalWrite_UiThread(benchmark::State& state) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  f.timers.cpu = 0;
  for (auto _ : state) {
    f.type();
    state.SetIterationTime(f.timers.fire());
    f.journal->flush();  // outside the timing: the next write starts afresh
  }
  state.counters["ui_cpu_ms"] =
      benchmark::Counter(f.timers.cpu * 1e3 / static_cast<double>(state.iterations()));
  if (auto failure = f.journal->takeFailure()) state.SkipWithError(failure->c_str());
}

void BM_JournalWrite_WholeDocument(benchmark::State& state) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    f.type();
    const auto start = std::chrono::steady_clock::now();
    const std::string body =
        pellora::content::ExtractBody(f.surface->FilterSourceCode(f.surface->DocumentHTML()));
    benchmark::DoNotOptimize(body.data());
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_JournalWrite_WriterThread(benchmark::State& state) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    f.type();
    f.timers.fire();
    const auto start = std::chrono::steady_clock::now();
    f.journal->flush();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

#define SIZES \
  Arg(10 << 10)->Arg(100 << 10)->Arg(1 << 20)->UseManualTime()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_JournalWrite_UiThread)->SIZES;
BENCHMARK(BM_JournalWrite_WholeDocument)->SIZES;
BENCHMARK(BM_JournalWrite_WriterThread)->SIZES;

}  // namespace

int main(int argc, char** argv) { return pellora::bench::runGtkBenchmarks(argc, argv); }
