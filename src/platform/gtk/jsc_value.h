// Reading the values the page's scripts answer.
#pragma once

#include <jsc/jsc.h>

#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

using JSCValuePtr = GObjectPtr<JSCValue>;

// The property `name` of a script object.
inline JSCValuePtr property(JSCValue* object, const char* name) {
  return adopt(jsc_value_object_get_property(object, name));
}

// A value as UTF-8 text; nothing for null, undefined or no value.
inline std::string toText(JSCValue* value) {
  if (!value || jsc_value_is_null(value) || jsc_value_is_undefined(value)) return {};
  GCharPtr text(jsc_value_to_string(value));
  return text ? std::string(text.get()) : std::string();
}

}  // namespace pellora::gtk
