#include "net/credential_source.h"

#include "app/catalogue.h"
#include "app/text.h"
#include "platform/secret.h"

namespace quilbert::net {

using platform::StoredPassword;

std::string serverOfPath(const std::string& path) {
  const std::string p = app::trimSpaces(path);
  const std::size_t start = p.find_first_not_of('\\');
  if (start == std::string::npos || start < 2) return {};
  const std::size_t end = p.find('\\', start);
  return p.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

LetterCredentials letterCredentials(const app::Services& svc, const std::string& path,
                                    const std::string& login, const std::string& password) {
  LetterCredentials c;
  platform::PasswordStore* store = svc.passwords;
  const bool blank = app::isBlank(login);
  const bool ticket = store != nullptr && (!blank || password.empty()) &&
                      store->ticketFor(blank ? "" : app::trimSpaces(login));
  if (!password.empty() || blank) {
    c.password = password;
    c.source = ticket                      ? CredentialSource::Ticket
               : blank && password.empty() ? CredentialSource::Guest
                                           : CredentialSource::File;
    return c;
  }
  const std::string server = serverOfPath(path);
  if (store == nullptr || server.empty()) return c;
  StoredPassword stored = store->lookup(server, app::trimSpaces(login));
  switch (stored.state) {
    case StoredPassword::State::Found:
      c.source = store->kind() == platform::PasswordStore::Kind::Keyring
                     ? CredentialSource::Keyring
                     : CredentialSource::CredentialManager;
      if (!store->clientReadsIt()) c.password = stored.password;
      break;
    case StoredPassword::State::Locked:
      c.source = CredentialSource::Keyring;
      c.code = platform::neterr::kKeyringLocked;
      break;
    case StoredPassword::State::Unavailable:
      // Said once per letter, in the words of the store; never a password.
      svc.logStatus(login + "@" + server + ": " + stored.reason);
      c.code = platform::neterr::kNoKeyring;
      break;
    case StoredPassword::State::Missing:
      break;
  }
  platform::wipe(stored.password);
  if (ticket) {
    // The ticket comes first; a keyring not open yet keeps it waiting no more.
    c.source = CredentialSource::Ticket;
    c.code = 0;
  }
  return c;
}

std::string credentialSourceText(const app::Catalogue& texts, CredentialSource source) {
  switch (source) {
    case CredentialSource::Keyring:
      return texts.msg(app::kMsgSourceKeyring);
    case CredentialSource::CredentialManager:
      return texts.msg(app::kMsgSourceCredentialManager);
    case CredentialSource::Ticket:
      return texts.msg(app::kMsgSourceTicket);
    case CredentialSource::Guest:
      return texts.msg(app::kMsgSourceGuest);
    case CredentialSource::File:
      break;
  }
  return texts.msg(app::kMsgSourceFile);
}

}  // namespace quilbert::net
