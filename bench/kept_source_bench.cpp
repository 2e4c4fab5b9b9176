// The body a save or a switch to the HTML view takes from the visual view,
// for an item of about 1 MB in an older editor's spelling (upper-case tags,
// unquoted attributes, entities, no end tags) with one word made bold:
// "KeptSource" is the surface as it ships (the engine's body merged with
// the loaded bytes and checked by the engine's parser), "EngineForm" the
// engine's whole document serialised and its body extracted, as before the
// author's bytes were kept. Both run on one view in the same run, so their
// ratio is the figure to read. Needs a display: run under xvfb-run.
//   kept_source_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "content/extract_body.h"
#include "exchange/document_template.h"
#include "gtk_bench_support.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/local_addresses.h"
#include "platform/gtk/webkit_surface.h"
#include "support/surface_handlers.h"

namespace {

using pellora::gtk::WebKitEditingSurface;

std::string legacyBody(std::size_t bytes) {
  std::string body;
  body.reserve(bytes + 256);
  for (int i = 0; body.size() < bytes; ++i) {
    body += "<P class=para>Paragraph ";
    body += std::to_string(i);
    body += " with <B>some</B> text &ndash; <I>formatting</I> and a <A href=x.html>link</A>\r\n";
    if (i % 50 == 0) body += "<TABLE border=1><TR><TD>cell<TD>&euro; 12</TABLE>\r\n";
  }
  return body;
}

struct Fixture {
  pellora::test::SurfaceHandlers handlers;
  std::unique_ptr<WebKitEditingSurface> surface = std::make_unique<WebKitEditingSurface>();
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);

  explicit Fixture(std::size_t bytes) {
    gtk_container_add(GTK_CONTAINER(window), surface->widget());
    gtk_widget_show_all(window);
    surface->setClient(&handlers);
    bool complete = false;
    handlers.documentComplete = [&] { complete = true; };
    surface->setDocumentHTML(pellora::wrapInDocumentTemplate(legacyBody(bytes)));
    pellora::bench::runUntil(complete);
    handlers.documentComplete = nullptr;
    // One word in the middle made bold, as the tool bar does it.
    surface->evaluateForTesting(
        "(()=>{const ps=document.body.querySelectorAll('p');const t=ps[ps.length>>1].firstChild;"
        "const r=document.createRange();r.setStart(t,0);r.setEnd(t,9);"
        "getSelection().removeAllRanges();getSelection().addRange(r);"
        "document.execCommand('bold');})()");
  }
  ~Fixture() { gtk_widget_destroy(window); }
};

Fixture& fixture(std::size_t bytes) { return pellora::bench::fixtureOfSize<Fixture>(bytes); }

void BM_Body_KeptSource(benchmark::State& state) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        pellora::content::ExtractBody(f.surface->FilterSourceCode(f.surface->DocumentHTML())));
  }
  state.counters["fallbacks"] = f.surface->sourceFallbacksForTesting();
}

void BM_Body_EngineForm(benchmark::State& state) {
  Fixture& f = fixture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const std::string document = pellora::gtk::fromWidgetText(
        pellora::gtk::localAddressesOut(f.surface->evaluateForTesting("pellora.html()")));
    benchmark::DoNotOptimize(pellora::content::ExtractBody(f.surface->FilterSourceCode(document)));
  }
}

BENCHMARK(BM_Body_KeptSource)->Arg(1 << 20)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Body_EngineForm)->Arg(1 << 20)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return pellora::bench::runGtkBenchmarks(argc, argv); }
