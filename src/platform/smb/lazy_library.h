// A shared library opened at its first use rather than with the program, and
// the calls taken from it. It stays loaded for the process's life: what it
// hands out lives in our objects.
#pragma once

#include <string>

namespace quilbert::smb {

class LazyLibrary {
 public:
  // Opens `soname`; `package` is what to install when it is missing.
  LazyLibrary(const char* soname, const char* package);

  // Takes the call `name` into `out` (null when missing: the library is then
  // unusable, and `why` says which call it lacks).
  template <typename F>
  void take(const char* name, F& out) {
    out = reinterpret_cast<F>(symbol(name));  // NOLINT: dlsym's result is the call
  }
  [[nodiscard]] bool ok() const { return why_.empty(); }
  [[nodiscard]] const std::string& why() const { return why_; }

 private:
  void* symbol(const char* name);

  std::string soname_;
  void* handle_ = nullptr;
  std::string why_;
};

}  // namespace quilbert::smb
