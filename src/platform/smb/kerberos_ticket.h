// The user's Kerberos tickets (the cache KRB5CCNAME names, else the default
// one), read through libkrb5 loaded at first use: a domain's log-on gives
// them, and they open its shares with no password at all.
#pragma once

#include <string>

namespace quilbert::smb {

// Whether the cache holds a ticket-granting ticket not expired yet for
// `login` ("user" or "DOMAIN\user", the domain being the realm or its first
// label), or, with "", for whoever it names.
bool kerberosTicketFor(const std::string& login);

}  // namespace quilbert::smb
