#include <dlfcn.h>

#include "platform/lazy_library.h"

namespace quilbert::platform {

LazyLibrary::LazyLibrary(const char* file, const char* package) : file_(file) {
  handle_ = ::dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* error = ::dlerror();
    why_ = error != nullptr ? error : file;
    if (package != nullptr) why_ += std::string("; install ") + package;
  }
}

void* LazyLibrary::symbol(const char* name) {
  if (handle_ == nullptr) return nullptr;
  void* found = ::dlsym(handle_, name);
  if (found == nullptr && why_.empty()) why_ = file_ + " lacks " + name;
  return found;
}

}  // namespace quilbert::platform
