#include "platform/gtk/binding/widget_text.h"

#include "platform/gtk/gtk_text.h"

namespace pellora::gtk::binding {

// Design captions use CR LF; widgets want LF alone.
std::string caption(const std::string& cp1252) {
  std::string text = toWidgetText(cp1252);
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i];
  }
  return plain;
}

std::string mnemonic(const std::string& cp1252) {
  std::string out;
  for (char c : caption(cp1252)) {
    if (c == '&')
      out += '_';
    else if (c == '_')
      out += "__";
    else
      out += c;
  }
  return out;
}

}  // namespace pellora::gtk::binding
