// What the fuzz targets share: a scratch folder in memory when the system has
// one, and a failure that stops the fuzzer with a message.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quilbert::fuzz {

// Stops the run: libFuzzer keeps the input that got here.
[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

inline void check(bool ok, const std::string& what) {
  if (!ok) fail(what);
}

// A folder of this process's own, made at the first call.
inline const std::filesystem::path& scratch() {
  // Never destroyed: the removal at exit runs after the statics' destructors,
  // so the folder's name must outlive them.
  static const auto* folder = [] {
    std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quilbert-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch folder");
    std::atexit([] { std::filesystem::remove_all(scratch()); });
    return new std::filesystem::path(pattern);
  }();
  return *folder;
}

inline void writeFile(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quilbert::fuzz
