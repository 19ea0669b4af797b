// Passwords kept in the system's store (keyring, Credential Manager) rather
// than in the configuration file, whose format stays as it is: a password
// kept there leaves an empty password field. The person's choice is a
// setting of its own, outside the 30-line file.
#pragma once

#include <functional>
#include <string>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/services.h"

namespace quilbert::net {

inline constexpr const char* kQuilbertKey = "SOFTWARE\\Quilbert";
inline constexpr const char* kKeepInKeyringValue = "KeepPasswordsInKeyring";

// Whether Save keeps passwords in the store (false without a store).
bool keepPasswordsInStore(const app::Services& svc);
// Records the choice; false when the setting could not be written.
bool setKeepPasswordsInStore(const app::Services& svc, bool keep);

// Keeps `password` for `login` on the server of `path` in the store; "" once
// the store confirmed it, otherwise why not.
std::string storePassword(const app::Services& svc, const std::string& path,
                          const std::string& login, const std::string& password);

// For an import: keeps a policy's password in the store when the person
// chose the store, so that the file holds none.
[[nodiscard]] std::function<bool(const app::DriveEntry&)> importedPasswordKeeper(
    const app::Services& svc);

// What a move says, in the catalogue's words: how many passwords for how
// many letters, and what was emptied or refused.
struct MovedPasswords;
std::string movedPasswordsText(const app::Catalogue& texts, const MovedPasswords& m, bool toStore);

struct MovedPasswords {
  int moved = 0;      // letters whose password now lives where it was moved
  int passwords = 0;  // different passwords among them (one typed password serves many)
  int cleared = 0;    // lines whose password reached no server, emptied
  int notMoved = 0;
  std::string why;  // the first refusal, for the person
};

// Every drive line's password into the store; a line's field is emptied only
// once the store confirmed it. A password on a line with no server to give it
// to (no login or path, a local drive's label) is emptied: it serves nothing
// and would stay readable in the file. The file is written once, at the end.
MovedPasswords movePasswordsToStore(const app::Services& svc, app::Config& config,
                                    const app::Catalogue& texts);
// Back: every line with a login and no password whose password the store has
// gets it; the store forgets it only once the file holding it is written.
MovedPasswords movePasswordsToFile(const app::Services& svc, app::Config& config,
                                   const app::Catalogue& texts);

}  // namespace quilbert::net
