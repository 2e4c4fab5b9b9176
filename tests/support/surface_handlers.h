// An editing surface client whose handlers a test sets one by one; an
// unset handler leaves the event as a surface without a client would.
#pragma once

#include <functional>

#include "ui/editing_surface.h"

namespace pellora::test {

struct SurfaceHandlers final : ui::EditingSurfaceClient {
  std::function<void()> documentComplete;
  std::function<void()> displayChanged;
  std::function<void(int x, int y)> showContextMenu;
  std::function<void(int itemIndex)> contextMenuAction;
  std::function<void(ui::SurfaceShortcut shortcut)> shortcut;

  void onDocumentComplete() override {
    if (documentComplete) documentComplete();
  }
  void onDisplayChanged() override {
    if (displayChanged) displayChanged();
  }
  void onShowContextMenu(int x, int y) override {
    if (showContextMenu) showContextMenu(x, y);
  }
  void onContextMenuAction(int itemIndex) override {
    if (contextMenuAction) contextMenuAction(itemIndex);
  }
  bool onShortcut(ui::SurfaceShortcut which) override {
    if (!shortcut) return false;
    shortcut(which);
    return true;
  }
};

}  // namespace pellora::test
