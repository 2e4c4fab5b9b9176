// An editing surface that says when it goes away. The editor form owns its
// surface and destroys it first when the form is freed, so a view bound to
// the form learns here that its model is about to go and can let go of it
// while every control still exists. Everything else is passed through.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "ui/editing_surface.h"
#include "ui/signal.h"

namespace pellora::gtk {

class TrackedSurface final : public ui::EditingSurface {
 public:
  // `widget` shows `inner`; `inner` keeps it alive.
  TrackedSurface(std::unique_ptr<ui::EditingSurface> inner, GtkWidget* widget);
  ~TrackedSurface() override;

  GtkWidget* widget() const { return widget_; }
  ui::EditingSurface& inner() { return *inner_; }
  // Raised at the start of destruction.
  ui::Signal<> destroying;

  ui::CommandArg ExecCommand(int cmdID, int cmdexecopt, const ui::CommandArg& pInVar) override {
    return inner_->ExecCommand(cmdID, cmdexecopt, pInVar);
  }
  int QueryStatus(int cmdID) override { return inner_->QueryStatus(cmdID); }
  std::string DocumentHTML() override { return inner_->DocumentHTML(); }
  void setDocumentHTML(const std::string& html) override { inner_->setDocumentHTML(html); }
  bool Busy() override { return inner_->Busy(); }
  bool ShowDetails() override { return inner_->ShowDetails(); }
  void setShowDetails(bool value) override { inner_->setShowDetails(value); }
  std::string FilterSourceCode(const std::string& text) override {
    return inner_->FilterSourceCode(text);
  }
  ui::HtmlDocument* DOM() override { return inner_->DOM(); }
  void SetContextMenu(const ui::ContextMenuStrings& strings,
                      const ui::ContextMenuStates& states) override {
    inner_->SetContextMenu(strings, states);
  }

 private:
  std::unique_ptr<ui::EditingSurface> inner_;
  GtkWidget* widget_;
};

}  // namespace pellora::gtk
