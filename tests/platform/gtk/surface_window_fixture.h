// A real WebKit surface shown in a window, for the tests that drive the
// engine: GTK on the test's display (xvfb-run), the environment WebKit needs
// there, a fresh editing context, and the main-loop waits they share.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/webkit_surface.h"
#include "support/run_until.h"
#include "support/surface_handlers.h"

namespace pellora::gtk::engine_test {

using pellora::test::runUntil;

inline void drainEvents() {
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

class SurfaceWindowTest : public ::testing::Test {
 protected:
  // A window of `width` x `height`; 0 keeps the natural size.
  explicit SurfaceWindowTest(int width = 0, int height = 0) : width_(width), height_(height) {}

  void SetUp() override {
    // No GL on a virtual display, and the web process's sandbox cannot start
    // as root in a container; neither changes what the page edits.
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
    g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    resetEditingContextForTesting();
    surface_ = std::make_unique<WebKitEditingSurface>();
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (width_ > 0) gtk_window_set_default_size(GTK_WINDOW(window_), width_, height_);
    gtk_container_add(GTK_CONTAINER(window_), contentAround(surface_->widget()));
    gtk_widget_show_all(window_);
    handlers_.documentComplete = [this] { ++completed_; };
    surface_->setClient(&handlers_);
  }

  void TearDown() override {
    if (window_) gtk_widget_destroy(window_);
    surface_.reset();
    drainEvents();
  }

  // What the window holds: the surface's view, or a layout around it.
  virtual GtkWidget* contentAround(GtkWidget* view) { return view; }

 public:
  // Puts `body` in the document template; gives the completions before it.
  int put(const std::string& body) {
    const int before = completed_;
    surface_->setDocumentHTML(wrapInDocumentTemplate(body));
    return before;
  }
  void awaitCompletionAfter(int before) {
    runUntil([&] { return completed_ > before; });
  }
  void load(const std::string& body) { awaitCompletionAfter(put(body)); }

  std::string body() { return surface_->DOM()->bodyInnerHTML(); }
  std::string eval(const std::string& script) { return surface_->evaluateForTesting(script); }

  // Selects the first occurrence of `word` in the body's text.
  void selectText(const std::string& word) {
    ASSERT_EQ("true", eval("(function(word){const w=document.createTreeWalker(document.body,"
                           "NodeFilter.SHOW_TEXT);let n;while((n=w.nextNode())){const i="
                           "n.data.indexOf(word);if(i>=0){const r=document.createRange();"
                           "r.setStart(n,i);r.setEnd(n,i+word.length);const s=getSelection();"
                           "s.removeAllRanges();s.addRange(r);return true;}}return false;})(" +
                           jsString(word) + ")"));
  }

  // The surface's client, set up for every test; it outlives the surface.
  pellora::test::SurfaceHandlers handlers_;
  std::unique_ptr<WebKitEditingSurface> surface_;
  GtkWidget* window_ = nullptr;
  int completed_ = 0;

 private:
  int width_;
  int height_;
};

}  // namespace pellora::gtk::engine_test
