// Design captions (Windows-1252, CR LF, "&" access keys) as GTK wants them.
#pragma once

#include <string>

namespace pellora::gtk::binding {

// UTF-8 with LF alone.
std::string caption(const std::string& cp1252);

// A caption with its access key in GTK's notation ("&Ja" becomes "_Ja").
std::string mnemonic(const std::string& cp1252);

}  // namespace pellora::gtk::binding
