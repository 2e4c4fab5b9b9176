#include "platform/gtk/navigation_policy.h"

namespace pellora::gtk {

gboolean NavigationPolicy::decide(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
      auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
      WebKitNavigationAction* action =
          webkit_navigation_policy_decision_get_navigation_action(navigation);
      // Our loads are programmatic ("other", no user gesture).
      if (ownLoadsPending_ > 0 &&
          webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_OTHER &&
          !webkit_navigation_action_is_user_gesture(action)) {
        --ownLoadsPending_;
        webkit_policy_decision_use(decision);
      } else {
        webkit_policy_decision_ignore(decision);
      }
      return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
      webkit_policy_decision_ignore(decision);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace pellora::gtk
