// Covered by tests/app/zoom_journey_test.cpp.
#include "platform/gtk/zoom_setting.h"

#include "platform/gtk/zoom_level.h"
#include "settings/options.h"

namespace pellora::gtk {

namespace {

constexpr char kZoomValue[] = "Zoom";

}  // namespace

std::uint32_t storedZoom(settings::RegistryStore& store) {
  const auto value = store.readValue(settings::Hive::LocalMachine, kSettingsKey, kZoomValue);
  const auto percent = value ? value->asDword() : std::nullopt;
  return percent ? clampZoom(*percent) : kNormalZoom;
}

bool storeZoom(settings::RegistryStore& store, std::uint32_t percent) {
  return store.writeValue(settings::Hive::LocalMachine, kSettingsKey, kZoomValue,
                          settings::Value::dword(percent));
}

}  // namespace pellora::gtk
