// Paths from the program's UTF-8 strings and back. A narrow path on Windows
// is read in the ANSI code page, so a folder named with "é" would not open;
// building the path from UTF-8 explicitly keeps every name intact.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quilbert::platform {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
  return {std::u8string(utf8.begin(), utf8.end())};
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace quilbert::platform
