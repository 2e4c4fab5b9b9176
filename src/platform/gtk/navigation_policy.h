// Which navigations the editing surface's view may make: only the loads of
// its own puts. Links, forms, refreshes and new windows are refused.
#pragma once

#include <webkit2/webkit2.h>

namespace pellora::gtk {

class NavigationPolicy {
 public:
  // A put is about to load: one navigation is let through for it. A put
  // over a loading one must not lose its turn when the older page commits,
  // so turns add up.
  void expectOwnLoad() { ++ownLoadsPending_; }

  // The latest put is on screen: an older put's unused turn lapses.
  void settle() { ownLoadsPending_ = 0; }

  // Answers the view's "decide-policy" signal: TRUE when decided here.
  gboolean decide(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);

 private:
  unsigned ownLoadsPending_ = 0;
};

}  // namespace pellora::gtk
