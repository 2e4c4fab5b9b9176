// What the visual editing surface is doing, as two small state machines in
// place of loose flags: the document it shows, and the call it is in the
// middle of. Each change goes through a function that refuses a change the
// machine does not have, so a fault in the surface shows as an error at the
// step that went wrong rather than as a stale flag later.
//
// Covered by tests/platform/gtk/surface_state_test.cpp.
#pragma once

namespace pellora::gtk {

// The document. A put starts loading; the page of the latest put being on
// screen ("shown") ends it. A put over a loading one keeps loading: only
// the newest put's page completes it.
//
//   Empty     --Put-->   FirstLoad
//   FirstLoad --Put-->   FirstLoad      FirstLoad --Shown--> Ready
//   Ready     --Put-->   Reload
//   Reload    --Put-->   Reload         Reload    --Shown--> Ready
//
// Nothing goes back to Empty, and "shown" without a put loading is a fault.
enum class DocumentPhase { Empty, FirstLoad, Ready, Reload };
enum class DocumentEvent { Put, Shown };

// The phase after `event`; throws std::logic_error for an event `phase`
// does not take.
DocumentPhase after(DocumentPhase phase, DocumentEvent event);

// A put is loading: the put text is the document, and the host sees the
// view busy.
inline bool isBusy(DocumentPhase phase) {
  return phase == DocumentPhase::FirstLoad || phase == DocumentPhase::Reload;
}

// Some put has completed: the page can answer commands.
inline bool hasLoaded(DocumentPhase phase) {
  return phase == DocumentPhase::Ready || phase == DocumentPhase::Reload;
}

// The call in progress. Calls nest on the stack, so each is entered for a
// scope and the call before comes back when the scope ends (leaving is
// never refused). The editor's display-change handler may await scripts;
// while a script result is awaited on the nested main loop, nothing is
// entered: a second script would run the loop a second time inside the
// first, and a notification would call the editor in the middle of the call
// that waits (the surface defers it instead).
//
//   Idle          --DisplayChange--> InDisplayChange
//   Idle          --Await-->         Awaiting
//   InDisplayChange --DisplayChange--> InDisplayChange
//   InDisplayChange --Await-->         AwaitingInDisplayChange
//   Awaiting, AwaitingInDisplayChange: no entry
enum class SurfaceCall { Idle, InDisplayChange, Awaiting, AwaitingInDisplayChange };
enum class CallEvent { DisplayChange, Await };

// The call entered by `event` from `current`; throws std::logic_error for
// one the rule above refuses.
SurfaceCall entering(SurfaceCall current, CallEvent event);

inline bool isAwaiting(SurfaceCall call) {
  return call == SurfaceCall::Awaiting || call == SurfaceCall::AwaitingInDisplayChange;
}

// The editor is handling a display change (perhaps awaiting a script for
// it): status queries may share one answer of the page.
inline bool isInDisplayChange(SurfaceCall call) {
  return call == SurfaceCall::InDisplayChange || call == SurfaceCall::AwaitingInDisplayChange;
}

}  // namespace pellora::gtk
