// Word wrapping of a message text for a message box: lines are cut after a
// blank, "-" or tab once they pass 80 columns, with CR LF inserted; an
// existing CR LF ends a line; a quoted stretch ("..." or '...') and a run
// without any break character are never cut, however long.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

std::string WrapLines(std::string_view text);

}  // namespace pellora::content
