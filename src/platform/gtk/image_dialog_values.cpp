#include "platform/gtk/image_dialog_values.h"

#include <glib.h>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::string> imageDimension(std::string_view typed) {
  while (!typed.empty() && isBlank(typed.front())) typed.remove_prefix(1);
  while (!typed.empty() && isBlank(typed.back())) typed.remove_suffix(1);
  std::string_view number = typed;
  if (!number.empty() && number.back() == '%') number.remove_suffix(1);
  if (typed.empty()) return std::string();
  // Six digits are more than any page is wide; longer is a typing slip.
  if (number.empty() || number.size() > 6) return std::nullopt;
  for (char c : number) {
    if (!isDigit(c)) return std::nullopt;
  }
  return std::string(typed);
}

std::optional<std::string> previewPath(std::string_view address) {
  const std::string text(address);
  if (!text.empty() && text.front() == '/') return text;
  if (g_ascii_strncasecmp(text.c_str(), "file:", 5) != 0) return std::nullopt;
  // Only local files: a URI naming a host is refused here.
  gchar* host = nullptr;
  GCharPtr path{g_filename_from_uri(text.c_str(), &host, nullptr)};
  const GCharPtr hostName{host};
  if (!path || (hostName && g_ascii_strcasecmp(hostName.get(), "localhost") != 0)) {
    return std::nullopt;
  }
  return std::string(path.get());
}

}  // namespace pellora::gtk
