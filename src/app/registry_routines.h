// The program's small registry routines over the registry service.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/registry.h"

namespace quilbert::app {

inline constexpr const char* kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Quilbert";

// A value read back: nothing, a string, or a 32-bit number.
using RegValue = std::variant<std::monostate, std::string, std::uint32_t>;

// A string value; on failure the blanks of the size first reported, or "".
std::string ReadRegString(platform::Registry& reg, std::uint32_t root, const std::string& key,
                          const std::string& name);
// Opens the key with all access unless told otherwise.
RegValue QueryValue(platform::Registry& reg, std::uint32_t root, const std::string& key,
                    const std::string& name, std::uint32_t access = platform::kKeyAllAccess);
std::int32_t QueryValueEx(platform::Registry& reg, platform::RegKey key, const std::string& name,
                          RegValue& value);
std::int32_t SetKeyValue(platform::Registry& reg, std::uint32_t root, const std::string& key,
                         const std::string& name, const RegValue& value, std::uint32_t type);
std::int32_t SetValueEx(platform::Registry& reg, platform::RegKey key, const std::string& name,
                        std::uint32_t type, const RegValue& value);

}  // namespace quilbert::app
