// Paths from the program's UTF-8 strings and back. A narrow path on Windows
// is read in the ANSI code page, so a folder named with "é" would not open;
// building the path from UTF-8 explicitly keeps every name intact.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
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

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The file opened for reading bytes, or null. C's streams and not C++'s: a
// C++ stream's first use builds the whole locale, a tenth of the start's
// memory for a program that reads a few small files.
inline UniqueFile openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
  return UniqueFile(_wfopen(path.c_str(), L"rb"));
#else
  return UniqueFile(std::fopen(path.c_str(), "rbe"));  // e: close on exec
#endif
}

}  // namespace quilbert::platform
