// Text at the GTK border: the system holds Windows-1252, GTK and WebKit
// speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pellora::gtk {

// Windows-1252 bytes to UTF-8 for a widget.
std::string toWidgetText(std::string_view cp1252);
// UTF-8 from a widget to Windows-1252; characters the code page lacks become
// numeric character references, so nothing typed is lost.
std::string fromWidgetText(std::string_view utf8);

}  // namespace pellora::gtk
