#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_text.h"

namespace quilbert::platform {

namespace {

bool isStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

HKEY asHkey(RegKey key) {
  return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

}  // namespace

Win32Registry::Win32Registry(std::string isolatedUnder) : isolated_(win32::widen(isolatedUnder)) {}

void* Win32Registry::rootHandle(std::uint32_t root) {
  const bool user = root == kHkeyCurrentUser;
  if (!user && root != kHkeyLocalMachine) return nullptr;
  if (isolated_.empty()) return user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const std::wstring path = isolated_ + (user ? L"\\HKEY_CURRENT_USER" : L"\\HKEY_LOCAL_MACHINE");
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

int Win32Registry::openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
                           RegKey& key) {
  key = 0;
  HKEY base = static_cast<HKEY>(rootHandle(root));
  if (base == nullptr) return regerr::kInvalidHandle;
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExW(base, win32::widen(subKey).c_str(), 0, access, &opened);
  if (!isolated_.empty()) RegCloseKey(base);
  if (rc == ERROR_SUCCESS) key = reinterpret_cast<std::uintptr_t>(opened);
  return static_cast<int>(rc);
}

int Win32Registry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                              std::string* data, std::uint32_t& size) {
  const std::wstring wideName = win32::widen(name);
  DWORD storedType = 0;
  DWORD storedSize = 0;
  LONG rc =
      RegQueryValueExW(asHkey(key), wideName.c_str(), nullptr, &storedType, nullptr, &storedSize);
  if (rc != ERROR_SUCCESS) return static_cast<int>(rc);
  std::vector<unsigned char> stored(storedSize);
  // The value may grow between the two calls: ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    storedSize = static_cast<DWORD>(stored.size());
    rc = RegQueryValueExW(asHkey(key), wideName.c_str(), nullptr, &storedType, stored.data(),
                          &storedSize);
    if (rc != ERROR_MORE_DATA) break;
    stored.resize(storedSize);
  }
  if (rc != ERROR_SUCCESS) return static_cast<int>(rc);
  stored.resize(storedSize);

  std::string value;
  if (isStringType(storedType)) {
    value = win32::narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(stored.data()),
                                            stored.size() / sizeof(wchar_t)));
  } else {
    value.assign(stored.begin(), stored.end());
  }
  if (type != nullptr) *type = storedType;
  const auto needed = static_cast<std::uint32_t>(value.size());
  if (data == nullptr) {
    size = needed;
    return regerr::kOk;
  }
  if (size < needed) {
    size = needed;
    return regerr::kMoreData;
  }
  // Like the caller's buffer on Windows: the value fills its start.
  if (data->size() < needed) data->resize(needed);
  data->replace(0, needed, value);
  size = needed;
  return regerr::kOk;
}

int Win32Registry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                            const std::string& data) {
  const std::wstring wideName = win32::widen(name);
  if (isStringType(type)) {
    const std::wstring wide = win32::widen(data);
    return static_cast<int>(RegSetValueExW(asHkey(key), wideName.c_str(), 0, type,
                                           reinterpret_cast<const BYTE*>(wide.data()),
                                           static_cast<DWORD>(wide.size() * sizeof(wchar_t))));
  }
  return static_cast<int>(RegSetValueExW(asHkey(key), wideName.c_str(), 0, type,
                                         reinterpret_cast<const BYTE*>(data.data()),
                                         static_cast<DWORD>(data.size())));
}

int Win32Registry::deleteValue(RegKey key, const std::string& name) {
  return static_cast<int>(RegDeleteValueW(asHkey(key), win32::widen(name).c_str()));
}

int Win32Registry::closeKey(RegKey key) {
  if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) return regerr::kOk;
  return static_cast<int>(RegCloseKey(asHkey(key)));
}

int Win32Registry::createKey(std::uint32_t root, const std::string& subKey) {
  HKEY base = static_cast<HKEY>(rootHandle(root));
  if (base == nullptr) return regerr::kInvalidHandle;
  HKEY created = nullptr;
  const LONG rc = RegCreateKeyExW(base, win32::widen(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &created, nullptr);
  if (rc == ERROR_SUCCESS) RegCloseKey(created);
  if (!isolated_.empty()) RegCloseKey(base);
  return static_cast<int>(rc);
}

void Win32Registry::removeIsolatedTree() {
  if (!isolated_.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, isolated_.c_str());
}

}  // namespace quilbert::platform
