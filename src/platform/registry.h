// The registry service with the advapi32 result codes as its contract
// (0 success, 2 not found, 5 access denied, 6 invalid handle, 234 more data).
// Value data are raw bytes; a REG_SZ holds its terminating NUL.
#pragma once

#include <cstdint>
#include <string>

namespace quilbert::platform {

inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001U;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002U;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kKeyQueryValue = 1;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

namespace regerr {
inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kMoreData = 234;
}  // namespace regerr

using RegKey = std::uint64_t;

class Registry {
 public:
  virtual ~Registry() = default;
  // RegOpenKeyExA on a root handle value and a sub-key path ("A\\B\\C").
  virtual int openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
                      RegKey& key) = 0;
  // RegQueryValueExA. `data` null asks only for type and size. With data, up
  // to `size` bytes are copied; 234 and the needed size when it is too small.
  virtual int queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                         std::string* data, std::uint32_t& size) = 0;
  // RegSetValueExA with the bytes to store (a REG_SZ includes its NUL).
  virtual int setValue(RegKey key, const std::string& name, std::uint32_t type,
                       const std::string& data) = 0;
  virtual int deleteValue(RegKey key, const std::string& name) = 0;
  // RegCreateKeyExA: makes the key and its missing parents; an existing key
  // is left as it is.
  virtual int createKey(std::uint32_t root, const std::string& subKey) = 0;
  virtual int closeKey(RegKey key) = 0;
};

// queryValue's answer once a registry has found the value: its `type` and
// `size`, and with `data` its bytes, or 234 when `size` is too small.
int answerValue(std::uint32_t storedType, const std::string& value, std::uint32_t* type,
                std::string* data, std::uint32_t& size);

}  // namespace quilbert::platform
