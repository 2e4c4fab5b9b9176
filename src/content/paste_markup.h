// The element and attribute rules of the paste clean-up: which elements
// come through, go with their contents or are unwrapped, which attributes
// an element keeps, and the small text tests they share. Only the clean-up
// (paste_cleanup.cpp, paste_style.cpp, paste_word_lists.cpp) uses it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pellora::content::paste {

template <std::size_t N>
bool oneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  for (std::string_view known : names) {
    if (name == known) return true;
  }
  return false;
}

bool startsWith(std::string_view text, std::string_view prefix);
// `prefix` in lower case.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool isBlank(std::string_view text);

enum class ElementKind {
  Kept,         // comes through with its tags
  KeptVoid,     // comes through, has no contents or end tag
  Dropped,      // goes with everything inside it
  DroppedVoid,  // goes, has no contents or end tag
  Unwrapped,    // its tags go, its contents stay
};

ElementKind elementKind(std::string_view name);
// No paragraph can hold it: it closes an open one.
bool closesParagraph(std::string_view name);

bool allowedAttribute(std::string_view element, std::string_view name);
// What is left of a class attribute once the office programs' classes are gone.
std::string keptClasses(std::string_view value);
// An address a link or image may keep: none that runs a script.
bool safeAddress(std::string_view value, std::string_view element);
// ` name="value"`, the value escaped for a double-quoted attribute.
void appendAttribute(std::string& out, std::string_view name, std::string_view value,
                     bool hasValue);

}  // namespace pellora::content::paste
