// The HTML view's GtkSourceView definitions (its language and its light and
// dark style schemes) from the resource bundle, as folders on disk.
//
// GtkSourceView 4 reads definitions only from folders (reading them from a
// resource came with version 5.4) and has no way to parse them from memory.
// So a process that shows the HTML view copies them once, on first use, into
// one private temporary folder, removed again when the process ends.
#pragma once

#include <string>

namespace pellora::gtk {

// The folder with the language "pellora-html" and the light scheme
// "pellora"; empty when the folder could not be made.
const std::string& htmlViewDefinitionsFolder();

// The folder with the dark scheme "pellora-dark" alone; empty likewise.
const std::string& htmlViewDarkSchemeFolder();

}  // namespace pellora::gtk
