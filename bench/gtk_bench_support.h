// What the benchmarks that run GTK and WebKit share: waiting on the main
// loop, and a main() that prepares the display first.
#pragma once

#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtk/gtk.h>

#include <cstddef>
#include <memory>

namespace pellora::bench {

// Runs the main loop until `flag` is set by a handler.
inline void runUntil(const bool& flag) {
  while (!flag) g_main_context_iteration(nullptr, TRUE);
}

// The one fixture of the size a benchmark case asks for: built when the size
// changes (a window with a large document is slow to make), kept between the
// repetitions of a case.
template <typename Fixture>
Fixture& fixtureOfSize(std::size_t bytes) {
  static std::unique_ptr<Fixture> current;
  static std::size_t currentBytes = 0;
  if (!current || currentBytes != bytes) {
    current.reset();
    current = std::make_unique<Fixture>(bytes);
    currentBytes = bytes;
  }
  return *current;
}

inline int runGtkBenchmarks(int argc, char** argv) {
  // A virtual display has no GL, and the container runs as root; see
  // tests/platform/gtk/webkit_surface_test.cpp.
  g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
  g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
  if (!gtk_init_check(&argc, &argv)) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace pellora::bench
