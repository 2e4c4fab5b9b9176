// The declarations of one pasted style attribute, sorted into what stays,
// what a span says only through its style (bold, italic, ...: the clean-up
// turns that into elements), and Word's list marks. Declarations that only
// restate an initial value go: office programs and the engine's own copy
// (which writes the source's computed style on each block) write many.
// Only paste_cleanup.cpp uses it.
#pragma once

#include <string>
#include <string_view>

#include "content/paste_cleanup.h"

namespace pellora::content::paste {

struct StyleMarks {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  bool superscript = false;
  bool subscript = false;
};

// Spans give their weight, slant, decoration and vertical alignment up to
// elements; other elements keep them as declarations.
enum class StyleOwner { Span, Element };

struct PastedStyle {
  std::string kept;  // "name: value; ..." or empty
  StyleMarks marks;
  std::string msoList;        // Word's "l0 level1 lfo1", or empty
  bool normalWeight = false;  // "font-weight: normal" (or 400) was given
  double marginLeftPt = 0;    // "margin-left" in points, 0 when absent or not a length
};

// `style` as written in the attribute (entities not decoded).
PastedStyle ReadPastedStyle(std::string_view style, StyleOwner owner, const PasteOptions& options);

}  // namespace pellora::content::paste
