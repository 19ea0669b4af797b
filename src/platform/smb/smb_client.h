// Direct questions to SMB servers through libsmbclient: whether a login and a
// share path are accepted, and what a workgroup, server or the network holds.
// Its errno values tell apart the cases that GIO reports as one failure.
#pragma once

#include <libsmbclient.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/secret.h"

namespace quilbert::smb {

struct Credentials {
  std::string user;  // empty with an empty password: anonymous (guest)
  std::string domain;
  std::string password;
  // The user's Kerberos ticket first; the password, if any, only after it.
  bool kerberos = false;

  Credentials() = default;
  Credentials(const Credentials&) = default;
  Credentials& operator=(const Credentials&) = default;
  Credentials(Credentials&&) = default;
  Credentials& operator=(Credentials&&) = default;
  ~Credentials() { platform::wipe(password); }
};

// One entry of a listing, with libsmbclient's type (SMBC_WORKGROUP,
// SMBC_SERVER, SMBC_FILE_SHARE, ...).
struct ListEntry {
  unsigned type = 0;
  std::string name;
  std::string comment;
};

struct Given;
class SmbSession;

class SmbClient {
 public:
  // `port` 0: the standard ports; `timeoutMs` bounds each wait for an answer.
  SmbClient(int port, int timeoutMs);

  // Opens an smb:// URL as a folder; 0 or the errno libsmbclient gives
  // (ELIBACC: the library cannot be loaded), or EOVERFLOW for a login longer
  // than libsmbclient takes (never cut short).
  [[nodiscard]] int check(const std::string& url, const Credentials& credentials) const;
  // Lists an smb:// URL ("smb://", "smb://WORKGROUP", "smb://server").
  [[nodiscard]] int list(const std::string& url, const Credentials& credentials,
                         std::vector<ListEntry>& out) const;

 private:
  friend class SmbSession;
  int run(const std::string& url, const Credentials& credentials,
          std::vector<ListEntry>* out) const;
  SMBCCTX* openContext(Given& given, int& error) const;
  int port_;
  int timeoutMs_;
};

// Questions asked with one login that a server has already taken in this
// pass: its connection is kept between them, so that each later share costs
// a tree connection and not a new logon. Never for a login not yet taken:
// a cached one would hide a wrong password.
class SmbSession {
 public:
  SmbSession(const SmbClient& client, const Credentials& credentials);
  ~SmbSession();
  SmbSession(const SmbSession&) = delete;
  SmbSession& operator=(const SmbSession&) = delete;
  // As SmbClient::check.
  [[nodiscard]] int check(const std::string& url);

 private:
  std::unique_ptr<Given> given_;
  SMBCCTX* context_ = nullptr;
  int error_ = 0;
};

// Whether something accepts TCP connections at one of `addresses` (numeric,
// in the resolver's order, each started a short delay after the one before
// unless it failed sooner) on `port`, all within the bound: 0, ECONNREFUSED
// when none connects and one refused, or the errno of the failure (ETIMEDOUT
// for no answer in time). `answered` gets the index of the address that
// connected, else of the first that refused.
int probeTcp(const std::vector<std::string>& addresses, int port, int timeoutMs,
             std::size_t* answered = nullptr);

}  // namespace quilbert::smb
