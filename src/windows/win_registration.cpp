// clang-format off
// The module's headers before the system's; see win_ax_edit.cpp.
#include "control/registration.h"

#include "windows/win_registration.h"
#include "windows/win_ax_edit.h"
#include "windows/pellora_h.h"
// clang-format on

#include <filesystem>
#include <string>

namespace pellora_win {

namespace {

constexpr WORD kMajor = 2, kMinor = 0;
constexpr LCID kLocale = 0x0409;

std::wstring widen(const std::string& utf8) {
  const auto path = std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
  return path.wstring();
}

std::wstring modulePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(moduleInstance(), path, MAX_PATH);
  return std::wstring(path, length);
}

// The path as the class rows record it: in its short form when it holds a
// blank.
std::string recordedPath(const std::wstring& path) {
  std::wstring chosen = path;
  if (path.find(L' ') != std::wstring::npos) {
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) chosen.assign(shortPath, length);
  }
  const std::u8string utf8 = std::filesystem::path(chosen).u8string();
  return std::string(utf8.begin(), utf8.end());
}

bool writeRow(const pellora::RegistrationRow& row) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, widen(row.key).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring name = widen(row.valueName);
  const std::wstring data = widen(row.data);
  const LSTATUS status = ::RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(data.c_str()),
                                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

SYSKIND systemKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

// Whether the type library's version key is in the registry. Systems
// disagree on what unregistering a library that is not registered answers
// (Wine: E_INVALIDARG), so that case is told apart before asking.
bool typeLibraryRegistered() {
  wchar_t libid[40] = {};
  ::StringFromGUID2(LIBID_Pellora, libid, 40);
  const std::wstring key = std::wstring(L"TypeLib\\") + libid + L"\\" + std::to_wstring(kMajor) +
                           L"." + std::to_wstring(kMinor);
  HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened);
  if (status == ERROR_SUCCESS) ::RegCloseKey(opened);
  return status != ERROR_FILE_NOT_FOUND;
}

}  // namespace

HRESULT registerModule() {
  const std::wstring path = modulePath();
  ITypeLib* library = nullptr;
  if (FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library))) return E_FAIL;
  library->Release();
  for (const auto& row : pellora::classRows(recordedPath(path))) {
    if (!writeRow(row)) return E_FAIL;
  }
  return S_OK;
}

HRESULT unregisterModule() {
  HRESULT result = S_OK;
  // Not registered counts as done, so unregistering twice succeeds.
  if (typeLibraryRegistered() &&
      FAILED(::UnRegisterTypeLib(LIBID_Pellora, kMajor, kMinor, kLocale, systemKind()))) {
    result = E_FAIL;
  }
  for (const auto& key : pellora::classKeysInRemovalOrder()) {
    const LSTATUS status = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, widen(key).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = E_FAIL;
  }
  return result;
}

}  // namespace pellora_win
