// Passwords kept outside the configuration file, where the desktop keeps them:
// the Secret Service's keyring on Linux, the Credential Manager on Windows.
// One password per server and login, the server as the UNC path names it.
// Nothing here prompts or waits for a person.
#pragma once

#include <string>

namespace quilbert::platform {

struct StoredPassword {
  enum class State {
    Found,        // `password` holds it (empty where the network client reads it itself)
    Missing,      // the store has none for this server and login
    Locked,       // there is one, in a collection not unlocked yet
    Unavailable,  // no store answers: `reason` says why
  };
  State state = State::Missing;
  std::string password;  // wiped by whoever takes it
  std::string reason;
};

class PasswordStore {
 public:
  enum class Kind { Keyring, CredentialManager };
  virtual ~PasswordStore() = default;

  [[nodiscard]] virtual Kind kind() const = 0;
  // The password kept for `login` ("DOMAIN\user" or "user") on `server`,
  // without unlocking anything.
  virtual StoredPassword lookup(const std::string& server, const std::string& login) = 0;
  // Keeps `password`; "" once the store has confirmed it, otherwise why not.
  virtual std::string save(const std::string& server, const std::string& login,
                           const std::string& password) = 0;
  // Forgets it; "" when it is gone (or was never there).
  virtual std::string remove(const std::string& server, const std::string& login) = 0;
  // The network client takes the stored password by itself when it is given
  // none (Windows); otherwise the program passes what lookup found.
  [[nodiscard]] virtual bool clientReadsIt() const { return false; }
  // Whether the user's Kerberos ticket serves `login` ("" : a letter with no
  // login, whoever the ticket names), so that no password is needed. Where
  // the network client uses the log-on's ticket by itself (Windows): false.
  [[nodiscard]] virtual bool ticketFor(const std::string& login) const {
    (void)login;
    return false;
  }
};

}  // namespace quilbert::platform
