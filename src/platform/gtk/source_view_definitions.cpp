// Covered by tests/platform/gtk/resource_bundle_test.cpp.
#include "platform/gtk/source_view_definitions.h"

#include <glib.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/resource_bundle.h"

namespace pellora::gtk {

namespace {

class DefinitionsFolder {
 public:
  DefinitionsFolder() {
    GCharPtr dir(g_dir_make_tmp("pellora-sourceview-XXXXXX", nullptr));
    if (!dir) return;
    root_ = dir.get();
    // The dark scheme has a manager of its own (see html_view_theme.cpp),
    // which looks only into its own folder.
    if (copy("light", "pellora-html.lang") && copy("light", "pellora.xml"))
      light_ = (root_ / "light").string();
    if (copy("dark", "pellora-dark.xml")) dark_ = (root_ / "dark").string();
  }
  ~DefinitionsFolder() {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }
  DefinitionsFolder(const DefinitionsFolder&) = delete;
  DefinitionsFolder& operator=(const DefinitionsFolder&) = delete;

  const std::string& light() const { return light_; }
  const std::string& dark() const { return dark_; }

 private:
  bool copy(std::string_view folder, std::string_view name) {
    std::error_code error;
    std::filesystem::create_directories(root_ / folder, error);
    if (error) return false;
    std::ofstream out(root_ / folder / name, std::ios::binary);
    out << resourceText("sourceview/" + std::string(name));
    return static_cast<bool>(out.flush());
  }

  std::filesystem::path root_;
  std::string light_;
  std::string dark_;
};

const DefinitionsFolder& definitionsFolder() {
  static const DefinitionsFolder instance;
  return instance;
}

}  // namespace

const std::string& htmlViewDefinitionsFolder() { return definitionsFolder().light(); }

const std::string& htmlViewDarkSchemeFolder() { return definitionsFolder().dark(); }

}  // namespace pellora::gtk
