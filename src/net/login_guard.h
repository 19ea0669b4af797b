// What keeps a stale password from locking its account: a login and
// password pair refused once is not offered again, to any server, while the
// guard lives (a pass; the resident program's whole life). A domain counts
// failed logins per account, whatever name the server was reached by. A
// blank pair (the log-on's own account) is guarded per server.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "net/pass_observer.h"

namespace quilbert::net {

class LoginGuard {
 public:
  LoginGuard();
  // The code the item's pair was refused with, or 0.
  [[nodiscard]] std::int32_t refused(const PassItem& item) const;
  // Remembers the item's pair when `code` is a refused login.
  void note(const PassItem& item, std::int32_t code);

 private:
  // A salted digest: the guard holds no password.
  [[nodiscard]] std::size_t key(const PassItem& item) const;
  std::string salt_;
  std::map<std::size_t, std::int32_t> refused_;
};

// Whether two letters offer the same pair, as the guard counts them.
[[nodiscard]] bool samePair(const PassItem& a, const PassItem& b);

// Codes that mean the login was refused: never retried without the user.
[[nodiscard]] bool loginRefused(std::int32_t code);
// Of those, the ones a new password mends.
[[nodiscard]] bool wrongPassword(std::int32_t code);

}  // namespace quilbert::net
