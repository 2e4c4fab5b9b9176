#include "platform/gtk/surface_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace pellora::gtk {
namespace {

using Phase = DocumentPhase;
using Event = DocumentEvent;

struct PhaseCase {
  Phase from;
  Event event;
  std::optional<Phase> to;  // nothing: the change is refused
};

// Every phase against every event.
const PhaseCase kPhaseCases[] = {
    {Phase::Empty, Event::Put, Phase::FirstLoad},
    {Phase::Empty, Event::Shown, std::nullopt},
    {Phase::FirstLoad, Event::Put, Phase::FirstLoad},
    {Phase::FirstLoad, Event::Shown, Phase::Ready},
    {Phase::Ready, Event::Put, Phase::Reload},
    {Phase::Ready, Event::Shown, std::nullopt},
    {Phase::Reload, Event::Put, Phase::Reload},
    {Phase::Reload, Event::Shown, Phase::Ready},
};

TEST(SurfaceState, DocumentPhaseTakesOnlyItsTransitions) {
  for (const PhaseCase& c : kPhaseCases) {
    SCOPED_TRACE(testing::Message()
                 << "from " << static_cast<int>(c.from) << " by " << static_cast<int>(c.event));
    if (c.to) {
      EXPECT_EQ(after(c.from, c.event), *c.to);
    } else {
      EXPECT_THROW(after(c.from, c.event), std::logic_error);
    }
  }
}

TEST(SurfaceState, BusyWhileAPutLoadsAndLoadedOnceAnyCompleted) {
  struct Case {
    Phase phase;
    bool busy;
    bool loaded;
  };
  const Case cases[] = {
      {Phase::Empty, false, false},
      {Phase::FirstLoad, true, false},
      {Phase::Ready, false, true},
      {Phase::Reload, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.phase));
    EXPECT_EQ(isBusy(c.phase), c.busy);
    EXPECT_EQ(hasLoaded(c.phase), c.loaded);
  }
}

// A put over a put, then the page: one completion, and the surface stays
// loaded through every later put.
TEST(SurfaceState, PutsOverLoadingPutsCompleteOnce) {
  Phase phase = Phase::Empty;
  for (Event event : {Event::Put, Event::Put, Event::Shown, Event::Put, Event::Put}) {
    phase = after(phase, event);
  }
  EXPECT_EQ(phase, Phase::Reload);
  phase = after(phase, Event::Shown);
  EXPECT_EQ(phase, Phase::Ready);
  EXPECT_THROW(after(phase, Event::Shown), std::logic_error);
}

using Call = SurfaceCall;

struct CallCase {
  Call from;
  CallEvent event;
  std::optional<Call> to;
};

const CallCase kCallCases[] = {
    {Call::Idle, CallEvent::DisplayChange, Call::InDisplayChange},
    {Call::Idle, CallEvent::Await, Call::Awaiting},
    {Call::InDisplayChange, CallEvent::DisplayChange, Call::InDisplayChange},
    {Call::InDisplayChange, CallEvent::Await, Call::AwaitingInDisplayChange},
    // Nothing starts inside a wait: no second script, no notification.
    {Call::Awaiting, CallEvent::DisplayChange, std::nullopt},
    {Call::Awaiting, CallEvent::Await, std::nullopt},
    {Call::AwaitingInDisplayChange, CallEvent::DisplayChange, std::nullopt},
    {Call::AwaitingInDisplayChange, CallEvent::Await, std::nullopt},
};

TEST(SurfaceState, CallsEnterOnlyOutsideAWait) {
  for (const CallCase& c : kCallCases) {
    SCOPED_TRACE(testing::Message()
                 << "from " << static_cast<int>(c.from) << " by " << static_cast<int>(c.event));
    if (c.to) {
      EXPECT_EQ(entering(c.from, c.event), *c.to);
    } else {
      EXPECT_THROW(entering(c.from, c.event), std::logic_error);
    }
  }
}

TEST(SurfaceState, AWaitInsideADisplayChangeStillCountsAsTheDisplayChange) {
  struct Case {
    Call call;
    bool awaiting;
    bool inDisplayChange;
  };
  const Case cases[] = {
      {Call::Idle, false, false},
      {Call::InDisplayChange, false, true},
      {Call::Awaiting, true, false},
      {Call::AwaitingInDisplayChange, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.call));
    EXPECT_EQ(isAwaiting(c.call), c.awaiting);
    EXPECT_EQ(isInDisplayChange(c.call), c.inDisplayChange);
  }
}

}  // namespace
}  // namespace pellora::gtk
