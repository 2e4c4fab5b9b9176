#include "platform/gtk/surface_state.h"

#include <stdexcept>

namespace pellora::gtk {

DocumentPhase after(DocumentPhase phase, DocumentEvent event) {
  switch (event) {
    case DocumentEvent::Put:
      return phase == DocumentPhase::Empty || phase == DocumentPhase::FirstLoad
                 ? DocumentPhase::FirstLoad
                 : DocumentPhase::Reload;
    case DocumentEvent::Shown:
      if (!isBusy(phase)) throw std::logic_error("editing surface: no put is loading");
      return DocumentPhase::Ready;
  }
  throw std::logic_error("editing surface: unknown document event");
}

SurfaceCall entering(SurfaceCall current, CallEvent event) {
  if (isAwaiting(current)) {
    throw std::logic_error(event == CallEvent::Await
                               ? "editing surface: a script is already awaited"
                               : "editing surface: a display change while a script is awaited");
  }
  const bool inDisplayChange = current == SurfaceCall::InDisplayChange;
  switch (event) {
    case CallEvent::DisplayChange:
      return SurfaceCall::InDisplayChange;
    case CallEvent::Await:
      return inDisplayChange ? SurfaceCall::AwaitingInDisplayChange : SurfaceCall::Awaiting;
  }
  throw std::logic_error("editing surface: unknown call");
}

}  // namespace pellora::gtk
