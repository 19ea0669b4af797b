#include "platform/smb/smbclient_library.h"

#include "platform/smb/lazy_library.h"

namespace quilbert::smb {

namespace {

struct Loaded {
  SmbClientCalls calls{};
  std::string why;
};

Loaded load() {
  // Debian's run-time name and package.
  LazyLibrary library("libsmbclient.so.0", "libsmbclient");
  Loaded l;
  SmbClientCalls& c = l.calls;
  library.take("smbc_new_context", c.newContext);
  library.take("smbc_free_context", c.freeContext);
  library.take("smbc_init_context", c.initContext);
  library.take("smbc_setOptionNoAutoAnonymousLogin", c.setNoAutoAnonymousLogin);
  library.take("smbc_setOptionUseKerberos", c.setUseKerberos);
  library.take("smbc_setOptionFallbackAfterKerberos", c.setFallbackAfterKerberos);
  library.take("smbc_setOptionUserData", c.setUserData);
  library.take("smbc_getOptionUserData", c.getUserData);
  library.take("smbc_setFunctionAuthDataWithContext", c.setAuthFunction);
  library.take("smbc_setTimeout", c.setTimeout);
  library.take("smbc_setPort", c.setPort);
  library.take("smbc_setDebug", c.setDebug);
  library.take("smbc_getFunctionOpendir", c.opendirFunction);
  library.take("smbc_getFunctionReaddir", c.readdirFunction);
  library.take("smbc_getFunctionClosedir", c.closedirFunction);
  if (!library.ok()) l.why = "the SMB client library cannot be loaded (" + library.why() + ")";
  return l;
}

}  // namespace

const SmbClientCalls* smbClientCalls(std::string* why) {
  static const Loaded loaded = load();
  if (why != nullptr) *why = loaded.why;
  return loaded.why.empty() ? &loaded.calls : nullptr;
}

}  // namespace quilbert::smb
