// Text operations of the WebKit editing surface that need no engine: the
// content security policy that confines what the page may load, the removal
// of everything the surface adds to a document, and the block formats with
// the element each stands for. Covered by
// tests/platform/gtk/webkit_surface_text_test.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::gtk {

// "scheme://host[:port]" of an http or https address; nullopt for any other
// address or one whose authority could smuggle text into a policy.
std::optional<std::string> serverOrigin(std::string_view baseUrl);

// The meta element, first in the document, that lets the page load images,
// style sheets, fonts and media only from the content's own server (plus
// local files, through our own scheme, and data addresses for images not
// yet uploaded) and run no script of its own. It carries `put`, the number
// of the put that made the page, so the surface can tell which document is
// on screen.
std::string contentPolicyElement(std::string_view baseUrl, unsigned put = 0);

// The id of that element; the page script reads the put number from it.
inline constexpr std::string_view kPolicyId = "pellora-policy";

// The text without the policy element and the detail marks the surface
// puts in the head.
std::string removeSurfaceAdditions(std::string_view text);

struct BlockFormat {
  const char* name;     // shown in the style list
  const char* element;  // lower-case tag name
};

const std::vector<BlockFormat>& blockFormatTable();
// The name for an element as the engine reports it ("h1", "" outside any
// block); empty when the element has no name of ours.
std::string blockFormatName(std::string_view element);
// The element for one of our names; nullopt for a name we do not know.
std::optional<std::string> blockFormatElement(std::string_view name);

}  // namespace pellora::gtk
