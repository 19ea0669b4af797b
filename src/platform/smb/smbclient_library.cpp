#include "platform/smb/smbclient_library.h"

#include "platform/lazy_library.h"

namespace quilbert::smb {

const SmbClientCalls* smbClientCalls(std::string* why) {
  // Debian's run-time name and package.
  static const platform::LibraryCalls<SmbClientCalls> calls(
      "libsmbclient.so.0", "libsmbclient", "the SMB client library",
      [](platform::LazyLibrary& l, SmbClientCalls& c) {
        l.take("smbc_new_context", c.newContext);
        l.take("smbc_free_context", c.freeContext);
        l.take("smbc_init_context", c.initContext);
        l.take("smbc_setOptionNoAutoAnonymousLogin", c.setNoAutoAnonymousLogin);
        l.take("smbc_setOptionUseKerberos", c.setUseKerberos);
        l.take("smbc_setOptionFallbackAfterKerberos", c.setFallbackAfterKerberos);
        l.take("smbc_setOptionUserData", c.setUserData);
        l.take("smbc_getOptionUserData", c.getUserData);
        l.take("smbc_setFunctionAuthDataWithContext", c.setAuthFunction);
        l.take("smbc_setTimeout", c.setTimeout);
        l.take("smbc_setPort", c.setPort);
        l.take("smbc_setDebug", c.setDebug);
        l.take("smbc_getFunctionOpendir", c.opendirFunction);
        l.take("smbc_getFunctionReaddir", c.readdirFunction);
        l.take("smbc_getFunctionClosedir", c.closedirFunction);
      });
  return calls.get(why);
}

}  // namespace quilbert::smb
