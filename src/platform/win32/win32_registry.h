// The registry service on the real Windows registry. String values (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) are exchanged in UTF-8 like every string of
// the program, and stored in UTF-16 so that a folder name outside the ANSI
// code page survives; other types are raw bytes.
// The user's Shell Folders key answers a missing "Local AppData" with the
// folder the system knows by that name: the key is kept only for older
// programs, and nothing promises it holds the value.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "platform/registry.h"

namespace quilbert::platform {

class Win32Registry : public Registry {
 public:
  // With `isolatedUnder` set (a sub-key of HKEY_CURRENT_USER), the two roots
  // are answered from sub-keys of it instead, so that tests never touch the
  // real settings or Run value. Empty: the real roots.
  explicit Win32Registry(std::string isolatedUnder = {});

  int openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
              RegKey& key) override;
  int queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                 std::uint32_t& size) override;
  int setValue(RegKey key, const std::string& name, std::uint32_t type,
               const std::string& data) override;
  int deleteValue(RegKey key, const std::string& name) override;
  int closeKey(RegKey key) override;

  int createKey(std::uint32_t root, const std::string& subKey) override;
  // Removes the isolated tree with everything below it.
  void removeIsolatedTree();

 private:
  // The handle standing for a root (opened on demand when isolated).
  void* rootHandle(std::uint32_t root);

  std::wstring isolated_;
  std::set<RegKey> shellFolders_;  // open handles of the user's Shell Folders key
};

}  // namespace quilbert::platform
