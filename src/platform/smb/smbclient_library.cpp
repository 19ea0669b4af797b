#include "platform/smb/smbclient_library.h"

#include <dlfcn.h>

namespace quilbert::smb {

namespace {

// The library's run-time name (Debian's libsmbclient).
constexpr char kLibrary[] = "libsmbclient.so.0";

struct Loaded {
  SmbClientCalls calls{};
  bool ok = false;
  std::string why;
};

template <typename F>
bool resolve(void* library, const char* name, F& out, std::string& why) {
  out = reinterpret_cast<F>(::dlsym(library, name));  // NOLINT: dlsym's result is the symbol
  if (out == nullptr && why.empty()) why = std::string(kLibrary) + " lacks " + name;
  return out != nullptr;
}

Loaded load() {
  Loaded l;
  void* library = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = ::dlerror();
    l.why = std::string("the SMB client library is not installed (") +
            (error != nullptr ? error : kLibrary) + "; install libsmbclient)";
    return l;
  }
  SmbClientCalls& c = l.calls;
  l.ok = true;
  const auto want = [&](const char* name, auto& call) {
    l.ok = resolve(library, name, call, l.why) && l.ok;
  };
  want("smbc_new_context", c.newContext);
  want("smbc_free_context", c.freeContext);
  want("smbc_init_context", c.initContext);
  want("smbc_setOptionNoAutoAnonymousLogin", c.setNoAutoAnonymousLogin);
  want("smbc_setOptionUserData", c.setUserData);
  want("smbc_getOptionUserData", c.getUserData);
  want("smbc_setFunctionAuthDataWithContext", c.setAuthFunction);
  want("smbc_setTimeout", c.setTimeout);
  want("smbc_setPort", c.setPort);
  want("smbc_setDebug", c.setDebug);
  want("smbc_getFunctionOpendir", c.opendirFunction);
  want("smbc_getFunctionReaddir", c.readdirFunction);
  want("smbc_getFunctionClosedir", c.closedirFunction);
  // Kept loaded for the process's life: its contexts live in our objects.
  return l;
}

}  // namespace

const SmbClientCalls* smbClientCalls(std::string* why) {
  static const Loaded loaded = load();
  if (why != nullptr) *why = loaded.why;
  return loaded.ok ? &loaded.calls : nullptr;
}

}  // namespace quilbert::smb
