#include "platform/gtk/page_state.h"

#include <utility>

#include "platform/gtk/jsc_value.h"

namespace pellora::gtk {

void PageState::apply(JSCValue* answer) {
  if (!answer || !jsc_value_is_object(answer)) return;
  const std::string answerPage = toText(property(answer, "page").get());
  const JSCValuePtr answered = property(answer, "st");
  for (std::size_t i = 0; i < kStatusIds.size(); ++i) {
    const JSCValuePtr value = adopt(jsc_value_object_get_property_at_index(answered.get(), i));
    states[i] = jsc_value_to_int32(value.get());
  }
  blockElement = toText(property(answer, "blk").get());
  const double answerVersion = jsc_value_to_double(property(answer, "v").get());
  const double answerChanges = jsc_value_to_double(property(answer, "g").get());
  if (answerPage != page || answerChanges != changes) ++generation;
  const JSCValuePtr body = property(answer, "body");
  if (jsc_value_is_object(body.get())) {
    applyBody(answerPage, body.get());
    bodyChanges = answerChanges;
  } else if (answerPage != page || answerVersion != version) {
    bodyKnown = cp1252Current = engineCurrent = false;
  }
  page = answerPage;
  version = answerVersion;
  changes = answerChanges;
  valid = true;
}

void PageState::applyBody(const std::string& answerPage, JSCValue* body) {
  const double base = jsc_value_to_double(property(body, "base").get());
  const auto prefix = static_cast<std::size_t>(jsc_value_to_double(property(body, "p").get()));
  const auto suffix = static_cast<std::size_t>(jsc_value_to_double(property(body, "s").get()));
  std::string middle = toText(property(body, "mid").get());
  cp1252Current = engineCurrent = false;
  if (base < 0) {
    bodyUtf8 = std::move(middle);
    bodyKnown = true;
  } else if (bodyKnown && answerPage == page && base == version &&
             prefix + suffix <= bodyUtf8.size()) {
    // In place: only the bytes after the edit move.
    bodyUtf8.replace(prefix, bodyUtf8.size() - prefix - suffix, middle);
  } else {
    // A difference against a text we do not hold: ask for all of it.
    bodyKnown = false;
  }
}

}  // namespace pellora::gtk
