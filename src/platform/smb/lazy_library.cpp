#include "platform/smb/lazy_library.h"

#include <dlfcn.h>

namespace quilbert::smb {

LazyLibrary::LazyLibrary(const char* soname, const char* package) : soname_(soname) {
  handle_ = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* error = ::dlerror();
    why_ = std::string(error != nullptr ? error : soname) + "; install " + package;
  }
}

void* LazyLibrary::symbol(const char* name) {
  if (handle_ == nullptr) return nullptr;
  void* found = ::dlsym(handle_, name);
  if (found == nullptr && why_.empty()) why_ = soname_ + " lacks " + name;
  return found;
}

}  // namespace quilbert::smb
