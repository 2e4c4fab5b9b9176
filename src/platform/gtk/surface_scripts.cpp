#include "platform/gtk/surface_scripts.h"

#include <cstdio>

#include "platform/gtk/resource_bundle.h"
#include "platform/gtk/webkit_surface_text.h"

namespace pellora::gtk {

namespace {

// An object literal of the rows' entries ("key: value"); rows whose entry
// is empty are left out.
template <typename Rows, typename Entry>
std::string jsObject(const Rows& rows, Entry entry) {
  std::string out = "{";
  for (const auto& row : rows) {
    const std::string item = entry(row);
    if (item.empty()) continue;
    if (out.size() > 1) out += ", ";
    out += item;
  }
  return out + "}";
}

std::string buildPageScript() {
  std::string script = "(function () {\n'use strict';\n" + pageScriptConstants();
  for (std::string_view part : kPageScriptParts) script += resourceText(part);
  return script + "})();\n";
}

}  // namespace

std::string pageScriptConstants() {
  std::string ids;
  for (int id : kStatusIds) {
    if (!ids.empty()) ids += ", ";
    ids += std::to_string(id);
  }
  const auto named = [](std::string_view name, int value) {
    return std::string(name) + ": " + std::to_string(value);
  };
  return "const CMD = " +
         jsObject(kPageCommands, [&](const PageCommand& c) { return named(c.name, c.id); }) +
         ";\nconst STATUS = " +
         jsObject(kPageStatuses, [&](const PageStatus& s) { return named(s.name, s.status); }) +
         ";\nconst ENGINE = " +
         jsObject(kPageCommands,
                  [](const PageCommand& c) {
                    return c.engine.empty() ? std::string()
                                            : std::to_string(c.id) + ": " + jsString(c.engine);
                  }) +
         ";\nconst IDS = [" + ids + "];\nconst CHANNEL = " + jsString(kMessageChannel) +
         ";\nconst DETAILS_ID = " + jsString(kDetailsStyleId) +
         ";\nconst POLICY_ID = " + jsString(kPolicyId) +
         ";\nconst DETAILS_CSS = " + jsString(resourceText(kDetailsStyleSheet)) + ";\n";
}

const std::string& pageScript() {
  static const std::string script = buildPageScript();
  return script;
}

std::string jsString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (byte < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02x", byte);
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace pellora::gtk
