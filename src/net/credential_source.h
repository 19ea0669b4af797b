// Where a letter's credentials come from: the file's password, the one the
// desktop keeps (keyring, Credential Manager), or none at all (a guest).
#pragma once

#include <cstdint>
#include <string>

#include "app/catalogue.h"
#include "app/services.h"

namespace quilbert::net {

enum class CredentialSource { File, Keyring, CredentialManager, Ticket, Guest };

struct LetterCredentials {
  CredentialSource source = CredentialSource::File;
  std::string password;   // what to connect with; wiped by the taker
  std::int32_t code = 0;  // kKeyringLocked, kNoKeyring: the letter cannot connect now
};

// The server of a UNC path as it names it ("\\\\Server\\share" gives "Server").
std::string serverOfPath(const std::string& path);

// The credentials a letter connects with: the file's password, else, for a
// login with none, the store's (never unlocking it). A store whose network
// client reads it itself is given no password. A Kerberos ticket for the
// login (any ticket for a letter with neither login nor password) comes
// first: the password, if any, is then only what the network falls back on.
LetterCredentials letterCredentials(const app::Services& svc, const std::string& path,
                                    const std::string& login, const std::string& password);

// The source's words for the status and the report.
std::string credentialSourceText(const app::Catalogue& texts, CredentialSource source);

}  // namespace quilbert::net
