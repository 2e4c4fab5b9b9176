#include "platform/gtk/gtk_text.h"

#include "content/cp1252.h"

namespace pellora::gtk {

std::string toWidgetText(std::string_view cp1252) { return content::cp1252ToUtf8(cp1252); }

std::string fromWidgetText(std::string_view utf8) { return content::utf8ToCp1252(utf8); }

}  // namespace pellora::gtk
