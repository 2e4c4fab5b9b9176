// What one answer of the page's `state()` told the surface (the command
// states, the block format, the body), kept until the page changes again.
// The body arrives as a difference against the copy held here (see
// surface_scripts.h); an answer that does not fit the copy marks the body
// unknown, so the next read asks for all of it.
#pragma once

#include <jsc/jsc.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/gtk/surface_scripts.h"

namespace pellora::gtk {

struct PageState {
  bool valid = false;
  // In the order of kStatusIds.
  std::array<int, kStatusIds.size()> states{};
  std::string blockElement;
  // The body as UTF-8, its version at the page, and its Windows-1252 form
  // made on demand.
  std::string page;
  double version = -1;
  // The page's count of document changes, as last reported, and the count
  // the held body was read at: the page reports changes without the body,
  // which is read only when asked for.
  double changes = -1;
  double bodyChanges = -1;
  // Counts every change reported by any page the surface showed.
  std::uint64_t generation = 0;
  bool bodyKnown = false;
  std::string bodyUtf8;
  bool cp1252Current = false;
  std::string bodyCp1252;
  // The engine's body in Windows-1252 (local addresses as files), before the
  // shielded blocks are put back: what both the body and a save start from.
  bool engineCurrent = false;
  std::string bodyEngine;

  // Takes in one answer of `state()`; anything but an object is ignored.
  void apply(JSCValue* answer);
  // Whether the held body is the page's current one.
  bool bodyCurrent() const { return bodyKnown && bodyChanges == changes; }

 private:
  void applyBody(const std::string& answerPage, JSCValue* body);
};

}  // namespace pellora::gtk
