// Passwords kept in the system's store (keyring, Credential Manager) rather
// than in the configuration file, whose format stays as it is: a password
// kept there leaves an empty password field. The person's choice is a
// setting of its own, outside the 30-line file.
#pragma once

#include <functional>
#include <string>

#include "app/globals.h"

namespace quilbert::net {

inline constexpr const char* kQuilbertKey = "SOFTWARE\\Quilbert";
inline constexpr const char* kKeepInKeyringValue = "KeepPasswordsInKeyring";

// Whether Save keeps passwords in the store (false without a store).
bool keepPasswordsInStore(app::Globals& g);
// Records the choice; false when the setting could not be written.
bool setKeepPasswordsInStore(app::Globals& g, bool keep);

// Keeps `password` for `login` on the server of `path` in the store; "" once
// the store confirmed it, otherwise why not.
std::string storePassword(app::Globals& g, const std::string& path, const std::string& login,
                          const std::string& password);

// For an import: keeps a policy's password in the store when the person
// chose the store, so that the file holds none.
[[nodiscard]] std::function<bool(const app::DriveEntry&)> importedPasswordKeeper(app::Globals& g);

struct MovedPasswords {
  int moved = 0;
  int notMoved = 0;
  std::string why;  // the first refusal, for the person
};

// Every drive line's password into the store; a line's field is emptied only
// once the store confirmed it. The file is written once, at the end.
MovedPasswords movePasswordsToStore(app::Globals& g);
// Back: every line with a login and no password whose password the store has
// gets it; the store forgets it only once the file holding it is written.
MovedPasswords movePasswordsToFile(app::Globals& g);

}  // namespace quilbert::net
