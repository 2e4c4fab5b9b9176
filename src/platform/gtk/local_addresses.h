// Local files in the visual view. The page is loaded under the server's
// address, where the engine refuses file:// resources, so local images (not
// yet uploaded) are shown through an address scheme of our own that serves
// only the files the document refers to. These text operations swap the
// two forms of address: `file:///` on every side of the surface, our scheme
// inside the page. Covered by tests/platform/gtk/local_addresses_test.cpp.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace pellora::gtk {

// The scheme's name; its addresses are "pellora-local:///path".
inline constexpr std::string_view kLocalScheme = "pellora-local";

// `html` with every "file:///" address (one that starts the text, an
// attribute value or a style's url(), not one inside another address)
// turned into our scheme. Each address
// so turned is added to `referenced` in its file:/// form (entity-decoded
// as far as "&amp;"), up to the first quote, blank, angle bracket or
// parenthesis.
std::string localAddressesIn(std::string_view html, std::set<std::string>& referenced);

// `text` with every address of our scheme, where an address starts, turned
// back into "file:///".
std::string localAddressesOut(std::string_view text);

}  // namespace pellora::gtk
