// A shared library opened at its first use rather than with the program, and
// the calls taken from it. It stays loaded for the process's life: what it
// hands out lives in our objects.
#pragma once

#include <string>

namespace quilbert::platform {

class LazyLibrary {
 public:
  // Opens `file`; `package`, when given, is what to install when it is missing.
  explicit LazyLibrary(const char* file, const char* package = nullptr);

  // Takes the call `name` into `out` (null when missing: the library is then
  // unusable, and `why` says which call it lacks).
  template <typename F>
  void take(const char* name, F& out) {
    out = reinterpret_cast<F>(symbol(name));  // NOLINT: dlsym's result is the call
  }
  // False once the library could not be opened or lacked a call; `why` says which.
  [[nodiscard]] bool ok() const { return why_.empty(); }
  [[nodiscard]] const std::string& why() const { return why_; }

 private:
  void* symbol(const char* name);

  std::string file_;
  void* handle_ = nullptr;
  std::string why_;
};

// A library's table of calls (a struct of function pointers), loaded once by
// `take` at its first use: `static const LibraryCalls<C> calls(...)`.
template <typename Calls>
class LibraryCalls {
 public:
  // `what` names the library in the reason it cannot be loaded.
  LibraryCalls(const char* file, const char* package, const char* what,
               void (*take)(LazyLibrary& library, Calls& calls)) {
    LazyLibrary library(file, package);
    take(library, calls_);
    if (!library.ok()) why_ = std::string(what) + " cannot be loaded (" + library.why() + ")";
  }

  // The calls; null when the library cannot be loaded, with the reason in
  // `why` (the same at every call).
  const Calls* get(std::string* why = nullptr) const {
    if (why != nullptr) *why = why_;
    return why_.empty() ? &calls_ : nullptr;
  }

 private:
  Calls calls_{};
  std::string why_;
};

}  // namespace quilbert::platform
