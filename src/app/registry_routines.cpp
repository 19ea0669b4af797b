#include "app/registry_routines.h"

namespace quilbert::app {

using platform::RegKey;

std::string ReadRegString(platform::Registry& reg, std::uint32_t root, const std::string& key,
                          const std::string& name) {
  RegKey k = 0;
  const int opened = reg.openKey(root, key, platform::kKeyQueryValue, k);
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  if (opened == platform::regerr::kOk) reg.queryValue(k, name, &type, nullptr, size);
  std::string buffer(size, ' ');
  int rc = -1;
  if (opened == platform::regerr::kOk) rc = reg.queryValue(k, name, &type, &buffer, size);
  std::string result = buffer;
  if (rc == platform::regerr::kOk && !buffer.empty()) result = buffer.substr(0, buffer.size() - 1);
  if (opened == platform::regerr::kOk) reg.closeKey(k);
  return result;
}

std::int32_t QueryValueEx(platform::Registry& reg, RegKey key, const std::string& name,
                          RegValue& value) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const int rc = reg.queryValue(key, name, &type, nullptr, size);
  if (rc != platform::regerr::kOk) return rc;
  switch (type) {
    case platform::kRegSz: {
      std::string buffer(size, '\0');
      const int q = reg.queryValue(key, name, &type, &buffer, size);
      value = q == platform::regerr::kOk && !buffer.empty() ? buffer.substr(0, buffer.size() - 1)
                                                            : std::string();
      return q;
    }
    case platform::kRegDword: {
      std::string buffer(4, '\0');
      std::uint32_t four = 4;
      const int q = reg.queryValue(key, name, &type, &buffer, four);
      if (q == platform::regerr::kOk && buffer.size() >= 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
          n = (n << 8) | static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
        value = n;
      }
      return q;
    }
    default:
      return -1;
  }
}

RegValue QueryValue(platform::Registry& reg, std::uint32_t root, const std::string& key,
                    const std::string& name, std::uint32_t access) {
  RegKey k = 0;
  RegValue value;
  if (reg.openKey(root, key, access, k) != platform::regerr::kOk) return value;
  QueryValueEx(reg, k, name, value);
  reg.closeKey(k);
  return value;
}

std::int32_t SetValueEx(platform::Registry& reg, RegKey key, const std::string& name,
                        std::uint32_t type, const RegValue& value) {
  switch (type) {
    case platform::kRegSz: {
      const auto* s = std::get_if<std::string>(&value);
      return reg.setValue(key, name, type, (s != nullptr ? *s : std::string()) + '\0');
    }
    case platform::kRegDword: {
      const auto* n = std::get_if<std::uint32_t>(&value);
      const std::uint32_t v = n != nullptr ? *n : 0;
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
      return reg.setValue(key, name, type, bytes);
    }
    default:
      return 0;
  }
}

std::int32_t SetKeyValue(platform::Registry& reg, std::uint32_t root, const std::string& key,
                         const std::string& name, const RegValue& value, std::uint32_t type) {
  RegKey k = 0;
  const int opened = reg.openKey(root, key, platform::kKeyAllAccess, k);
  if (opened != platform::regerr::kOk) return opened;
  const std::int32_t rc = SetValueEx(reg, k, name, type, value);
  reg.closeKey(k);
  return rc;
}

}  // namespace quilbert::app
