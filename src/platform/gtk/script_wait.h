// One script of ours run in the page's own script world, its result awaited
// synchronously on a nested main loop. The caller decides whether it may
// wait at all (the surface's call state refuses a wait inside a wait).
#pragma once

#include <webkit2/webkit2.h>

#include <string>

#include "platform/gtk/jsc_value.h"

namespace pellora::gtk {

// Runs `script` in `view` and answers its value; throws std::runtime_error
// with the engine's message when the script fails.
JSCValuePtr awaitScript(WebKitWebView* view, const std::string& script);
// The same for the body of an async function: its promise is awaited too.
JSCValuePtr awaitAsyncScript(WebKitWebView* view, const std::string& body);
// Runs `script` without waiting for it; scripts run in the order sent, so
// one awaited later sees what this one did.
void sendScript(WebKitWebView* view, const std::string& script);

}  // namespace pellora::gtk
