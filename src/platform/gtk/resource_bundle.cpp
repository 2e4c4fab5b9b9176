// Covered by tests/platform/gtk/resource_bundle_test.cpp.
#include "platform/gtk/resource_bundle.h"

#include <gio/gio.h>

#include <memory>
#include <stdexcept>

extern "C" void pellora_resources_register_resource(void);

namespace pellora::gtk {

namespace {

struct GBytesUnref {
  void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};

}  // namespace

void registerResources() {
  static const bool registered = [] {
    pellora_resources_register_resource();
    return true;
  }();
  (void)registered;
}

std::string resourceText(std::string_view path) {
  registerResources();
  const std::string full = std::string(kResourceRoot) + "/" + std::string(path);
  const std::unique_ptr<GBytes, GBytesUnref> bytes(
      g_resources_lookup_data(full.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr));
  if (!bytes) throw std::logic_error("resource bundle: no " + full);
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(bytes.get(), &size));
  return std::string(data, size);
}

}  // namespace pellora::gtk
