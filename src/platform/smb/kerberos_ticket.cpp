#include "platform/smb/kerberos_ticket.h"

#include <krb5/krb5.h>

#include <algorithm>
#include <ctime>

#include "platform/lazy_library.h"

namespace quilbert::smb {

namespace {

struct KrbCalls {
  decltype(&krb5_init_context) initContext;
  decltype(&krb5_free_context) freeContext;
  decltype(&krb5_cc_default) ccDefault;
  decltype(&krb5_cc_close) ccClose;
  decltype(&krb5_cc_get_principal) ccPrincipal;
  decltype(&krb5_cc_start_seq_get) startSeq;
  decltype(&krb5_cc_next_cred) nextCred;
  decltype(&krb5_cc_end_seq_get) endSeq;
  decltype(&krb5_free_cred_contents) freeCred;
  decltype(&krb5_free_principal) freePrincipal;
  decltype(&krb5_unparse_name) unparse;
  decltype(&krb5_free_unparsed_name) freeName;
};

const KrbCalls* krbCalls() {
  static const platform::LibraryCalls<KrbCalls> calls(
      "libkrb5.so.3", "libkrb5-3", "the Kerberos library",
      [](platform::LazyLibrary& l, KrbCalls& c) {
        l.take("krb5_init_context", c.initContext);
        l.take("krb5_free_context", c.freeContext);
        l.take("krb5_cc_default", c.ccDefault);
        l.take("krb5_cc_close", c.ccClose);
        l.take("krb5_cc_get_principal", c.ccPrincipal);
        l.take("krb5_cc_start_seq_get", c.startSeq);
        l.take("krb5_cc_next_cred", c.nextCred);
        l.take("krb5_cc_end_seq_get", c.endSeq);
        l.take("krb5_free_cred_contents", c.freeCred);
        l.take("krb5_free_principal", c.freePrincipal);
        l.take("krb5_unparse_name", c.unparse);
        l.take("krb5_free_unparsed_name", c.freeName);
      });
  return calls.get();
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string nameOf(const KrbCalls& k, krb5_context context, krb5_const_principal principal) {
  char* text = nullptr;
  if (k.unparse(context, principal, &text) != 0 || text == nullptr) return {};
  std::string name = text;
  k.freeName(context, text);
  return name;
}

// "user@REALM" serves "user", "DOMAIN\user" (DOMAIN the realm or its first label) and "".
bool serves(const std::string& principal, const std::string& login) {
  if (login.empty()) return true;
  const std::size_t at = principal.rfind('@');
  const std::string user = lower(principal.substr(0, at));
  const std::string realm = at == std::string::npos ? "" : lower(principal.substr(at + 1));
  const std::size_t slash = login.find('\\');
  if (slash == std::string::npos) return lower(login) == user;
  const std::string domain = lower(login.substr(0, slash));
  return lower(login.substr(slash + 1)) == user &&
         (domain == realm || domain == realm.substr(0, realm.find('.')));
}

// A ticket-granting ticket in the cache that has not expired.
bool holdsLiveTgt(const KrbCalls& k, krb5_context context, krb5_ccache cache) {
  krb5_cc_cursor cursor = nullptr;
  if (k.startSeq(context, cache, &cursor) != 0) return false;
  bool live = false;
  krb5_creds creds;
  const auto now = static_cast<krb5_timestamp>(std::time(nullptr));
  while (!live && k.nextCred(context, cache, &cursor, &creds) == 0) {
    live = nameOf(k, context, creds.server).rfind("krbtgt/", 0) == 0 && creds.times.endtime > now;
    k.freeCred(context, &creds);
  }
  k.endSeq(context, cache, &cursor);
  return live;
}

}  // namespace

bool kerberosTicketFor(const std::string& login) {
  const KrbCalls* k = krbCalls();
  krb5_context context = nullptr;
  if (k == nullptr || k->initContext(&context) != 0) return false;
  bool found = false;
  krb5_ccache cache = nullptr;
  if (k->ccDefault(context, &cache) == 0) {
    krb5_principal principal = nullptr;
    if (k->ccPrincipal(context, cache, &principal) == 0) {
      found = serves(nameOf(*k, context, principal), login) && holdsLiveTgt(*k, context, cache);
      k->freePrincipal(context, principal);
    }
    k->ccClose(context, cache);
  }
  k->freeContext(context);
  return found;
}

}  // namespace quilbert::smb
