// The program's own resource bundle (resources/pellora.gresource.xml): the
// files the front end reads at run time, compiled into the program.
#pragma once

#include <string>
#include <string_view>

namespace pellora::gtk {

// Where the bundle's files live in GLib's resource namespace.
inline constexpr std::string_view kResourceRoot = "/com/brixel/pellora";

// Makes the bundle known to GLib (g_resources_*, GTK's resource loaders);
// once per process, later calls do nothing.
void registerResources();

// One file of the bundle, by its path below kResourceRoot ("page/state.js").
// The bundle is built with the program, so a missing file is a fault of the
// build: std::logic_error.
std::string resourceText(std::string_view path);

}  // namespace pellora::gtk
