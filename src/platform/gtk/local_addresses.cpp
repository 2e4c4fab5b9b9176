#include "platform/gtk/local_addresses.h"

namespace pellora::gtk {

namespace {

constexpr std::string_view kFilePrefix = "file:///";

std::string schemePrefix() { return std::string(kLocalScheme) + ":///"; }

bool endsAddress(char c) {
  switch (c) {
    case '"':
    case '\'':
    case '<':
    case '>':
    case '(':
    case ')':
    case ' ':
    case '\t':
    case '\r':
    case '\n':
      return true;
    default:
      return false;
  }
}

// An address starts the text, an attribute value or a style's url(): a
// "file:///" inside another address (a server path) is no local file.
bool startsAddress(std::string_view text, std::size_t at) {
  if (at == 0) return true;
  switch (text[at - 1]) {
    case '"':
    case '\'':
    case '=':
    case '(':
    case ' ':
    case '\t':
    case '\r':
    case '\n':
      return true;
    default:
      return false;
  }
}

std::string decodeAmpersands(std::string_view address) {
  std::string out;
  for (std::size_t i = 0; i < address.size(); ++i) {
    out += address[i];
    if (address.compare(i, 5, "&amp;") == 0) i += 4;
  }
  return out;
}

std::string replacePrefix(std::string_view text, std::string_view from, std::string_view to,
                          std::set<std::string>* referenced) {
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos;
       at = text.find(from, at + from.size())) {
    if (!startsAddress(text, at)) continue;
    out.append(text, done, at - done).append(to);
    done = at + from.size();
    if (referenced) {
      std::size_t end = done;
      while (end < text.size() && !endsAddress(text[end])) ++end;
      referenced->insert(std::string(kFilePrefix) +
                         decodeAmpersands(text.substr(done, end - done)));
    }
  }
  out.append(text, done, std::string_view::npos);
  return out;
}

}  // namespace

std::string localAddressesIn(std::string_view html, std::set<std::string>& referenced) {
  return replacePrefix(html, kFilePrefix, schemePrefix(), &referenced);
}

std::string localAddressesOut(std::string_view text) {
  return replacePrefix(text, schemePrefix(), kFilePrefix, nullptr);
}

}  // namespace pellora::gtk
