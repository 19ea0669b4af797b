#include "platform/win32/win32_registry.h"

#include <windows.h>
// The known folders need the types of windows.h first.
#include <knownfolders.h>
#include <shlobj.h>

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

bool sameName(const std::string& a, const char* b) {
  return CompareStringOrdinal(win32::widen(a).c_str(), -1, win32::widen(b).c_str(), -1, TRUE) ==
         CSTR_EQUAL;
}

// The user's local application-data folder as the shell knows it, with its
// terminating NUL like the string value it stands for; empty when unknown.
std::string localAppDataFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &path))) {
    folder = win32::narrow(path) + '\0';
  }
  CoTaskMemFree(path);
  return folder;
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
  if (rc == ERROR_SUCCESS) {
    key = reinterpret_cast<std::uintptr_t>(opened);
    if (root == kHkeyCurrentUser &&
        sameName(subKey, R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)")) {
      shellFolders_.insert(key);
    }
  }
  return static_cast<int>(rc);
}

int Win32Registry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                              std::string* data, std::uint32_t& size) {
  const std::wstring wideName = win32::widen(name);
  DWORD storedType = 0;
  DWORD storedSize = 0;
  LONG rc =
      RegQueryValueExW(asHkey(key), wideName.c_str(), nullptr, &storedType, nullptr, &storedSize);
  std::string value;
  if (rc == ERROR_FILE_NOT_FOUND && shellFolders_.contains(key) &&
      sameName(name, "Local AppData")) {
    value = localAppDataFolder();
    if (value.empty()) return static_cast<int>(rc);
    storedType = REG_SZ;
  } else {
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
    if (isStringType(storedType)) {
      value = win32::narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(stored.data()),
                                              stored.size() / sizeof(wchar_t)));
    } else {
      value.assign(stored.begin(), stored.end());
    }
  }
  return answerValue(storedType, value, type, data, size);
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
  shellFolders_.erase(key);
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
