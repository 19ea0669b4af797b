// libsmbclient, loaded at its first use rather than with the program: it
// brings Samba's and Kerberos' libraries with it, which a start that never
// asks a server anything should not pay for.
#pragma once

#include <libsmbclient.h>

#include <string>

namespace quilbert::smb {

// The calls this service makes, resolved once from the library.
struct SmbClientCalls {
  decltype(&smbc_new_context) newContext;
  decltype(&smbc_free_context) freeContext;
  decltype(&smbc_init_context) initContext;
  decltype(&smbc_setOptionNoAutoAnonymousLogin) setNoAutoAnonymousLogin;
  decltype(&smbc_setOptionUseKerberos) setUseKerberos;
  decltype(&smbc_setOptionFallbackAfterKerberos) setFallbackAfterKerberos;
  decltype(&smbc_setOptionUserData) setUserData;
  decltype(&smbc_getOptionUserData) getUserData;
  decltype(&smbc_setFunctionAuthDataWithContext) setAuthFunction;
  decltype(&smbc_setTimeout) setTimeout;
  decltype(&smbc_setPort) setPort;
  decltype(&smbc_setDebug) setDebug;
  decltype(&smbc_getFunctionOpendir) opendirFunction;
  decltype(&smbc_getFunctionReaddir) readdirFunction;
  decltype(&smbc_getFunctionClosedir) closedirFunction;
};

// The calls, loading the library on the first call; null when it cannot be
// loaded, with the reason in `why` (kept, so later calls say the same).
const SmbClientCalls* smbClientCalls(std::string* why = nullptr);

}  // namespace quilbert::smb
