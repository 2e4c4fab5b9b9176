#include "platform/gtk/tracked_surface.h"

namespace pellora::gtk {

TrackedSurface::TrackedSurface(std::unique_ptr<ui::EditingSurface> inner, GtkWidget* widget)
    : inner_(std::move(inner)), widget_(widget) {
  // The editor binds its handlers to this object; the inner surface raises
  // them through it, read at the moment of the event.
  ui::EditingSurfaceEvents& from = inner_->events;
  from.onDocumentComplete = [this] {
    if (events.onDocumentComplete) events.onDocumentComplete();
  };
  from.onDisplayChanged = [this] {
    if (events.onDisplayChanged) events.onDisplayChanged();
  };
  from.onShowContextMenu = [this](int x, int y) {
    if (events.onShowContextMenu) events.onShowContextMenu(x, y);
  };
  from.onContextMenuAction = [this](int index) {
    if (events.onContextMenuAction) events.onContextMenuAction(index);
  };
  from.onShortcut = [this](ui::SurfaceShortcut shortcut) {
    if (events.onShortcut) events.onShortcut(shortcut);
  };
}

TrackedSurface::~TrackedSurface() {
  destroying.emit();
  inner_->events = {};
}

}  // namespace pellora::gtk
