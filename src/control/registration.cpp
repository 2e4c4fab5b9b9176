#include "control/registration.h"

#include <algorithm>
#include <filesystem>

#include "control/pellora_tlb.h"

namespace pellora {

namespace {

std::string narrowAscii(std::u16string_view text) { return std::string(text.begin(), text.end()); }

std::string clsidKey() { return "CLSID\\" + guidToString(CLSID_axEdit); }

std::string typeLibKey() {
  const auto& library = pelloraTypeLibrary();
  return "TypeLib\\" + guidToString(*library.libid) + "\\" + std::to_string(library.majorVersion) +
         "." + std::to_string(library.minorVersion);
}

// Interfaces the type library registers for marshalling.
std::vector<const TypeDescription*> registeredInterfaces() {
  std::vector<const TypeDescription*> out;
  for (const auto& type : pelloraTypeLibrary().types) {
    if (type.kind == TypeKind::Interface || type.kind == TypeKind::DispInterface) {
      out.push_back(&type);
    }
  }
  return out;
}

void write(settings::RegistryStore& store, const RegistrationRow& row) {
  if (!store.writeValue(settings::Hive::ClassesRoot, row.key, row.valueName,
                        settings::Value::string(row.data))) {
    throw settings::ESettingsError("Could not create the key " + row.key + ": " +
                                   store.lastDiagnostic());
  }
}

}  // namespace

std::vector<RegistrationRow> typeLibraryRows(const std::string& modulePath) {
  const auto& library = pelloraTypeLibrary();
  const std::string key = typeLibKey();
  const std::string libid = guidToString(*library.libid);
  std::vector<RegistrationRow> rows = {
      {key, "", narrowAscii(library.helpString)},
      {key + "\\0\\win32", "", modulePath},
      {key + "\\FLAGS", "", "2"},  // a control's library
      {key + "\\HELPDIR", "", std::filesystem::path(modulePath).parent_path().string()},
  };
  for (const TypeDescription* type : registeredInterfaces()) {
    const std::string interfaceKey = "Interface\\" + guidToString(*type->guid);
    // Dual and dispatch interfaces are marshalled by the automation proxy.
    rows.push_back({interfaceKey, "", narrowAscii(type->name)});
    rows.push_back(
        {interfaceKey + "\\ProxyStubClsid32", "", "{00020424-0000-0000-C000-000000000046}"});
    rows.push_back({interfaceKey + "\\TypeLib", "", libid});
    rows.push_back({interfaceKey + "\\TypeLib", "Version", "2.0"});
  }
  return rows;
}

std::vector<RegistrationRow> classRows(const std::string& modulePath) {
  const std::string clsid = guidToString(CLSID_axEdit);
  const std::string key = clsidKey();
  const std::string progId = "Pellora.axEdit";
  return {
      {key, "", "Pellora Class"},
      {key + "\\InprocServer32", "", modulePath},
      {key + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {progId, "", "Pellora Class"},
      {progId + "\\Clsid", "", clsid},
      {key + "\\ProgID", "", progId},
      {key + "\\TypeLib", "", guidToString(LIBID_Pellora)},
      {key + "\\Version", "", "2.0"},
      {key + "\\MiscStatus", "", "0"},
      {key + "\\MiscStatus\\1", "", "205201"},
      {key + "\\ToolboxBitmap32", "", modulePath + ",1"},
      {key + "\\Control", "", ""},
      {key + "\\Verb", "", ""},
      {key + "\\Verb\\0", "", "Eigenschaften,0,2"},
  };
}

void registerServer(settings::RegistryStore& store, const std::string& modulePath) {
  for (const auto& row : typeLibraryRows(modulePath)) write(store, row);
  for (const auto& row : classRows(modulePath)) write(store, row);
}

std::vector<std::string> classKeysInRemovalOrder() {
  std::vector<std::string> keys;
  for (const auto& row : classRows("")) {
    if (std::find(keys.begin(), keys.end(), row.key) == keys.end()) keys.push_back(row.key);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
    const bool verbA = a.find("\\Verb") != std::string::npos;
    const bool verbB = b.find("\\Verb") != std::string::npos;
    if (verbA != verbB) return verbA;
    return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
  });
  return keys;
}

void unregisterServer(settings::RegistryStore& store) {
  using settings::Hive;
  auto remove = [&](const std::string& key) {
    if (store.deleteKey(Hive::ClassesRoot, key) == settings::StoreResult::Failed) {
      throw settings::ESettingsError("Could not remove the key " + key + ": " +
                                     store.lastDiagnostic());
    }
  };
  remove(typeLibKey());
  // The library key has no versions left: drop it as the platform would.
  const std::string libraryKey = "TypeLib\\" + guidToString(LIBID_Pellora);
  if (store.subkeys(Hive::ClassesRoot, libraryKey).empty()) remove(libraryKey);
  for (const TypeDescription* type : registeredInterfaces()) {
    remove("Interface\\" + guidToString(*type->guid));
  }
  for (const auto& key : classKeysInRemovalOrder()) remove(key);
}

}  // namespace pellora
