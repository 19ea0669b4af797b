// The Credential Manager as the program's password store: one domain
// password per server, the target being the server as the UNC path names
// it, which the SMB client takes by itself when a connection is given no
// password.
#pragma once

#include "platform/credentials.h"

namespace quilbert::platform {

class Win32Credentials final : public PasswordStore {
 public:
  [[nodiscard]] Kind kind() const override { return Kind::CredentialManager; }
  // Found when a credential for the server names this login; its password
  // only where the system gives it back (Windows keeps it for the SMB client).
  StoredPassword lookup(const std::string& server, const std::string& login) override;
  std::string save(const std::string& server, const std::string& login,
                   const std::string& password) override;
  std::string remove(const std::string& server, const std::string& login) override;
  [[nodiscard]] bool clientReadsIt() const override { return true; }
};

}  // namespace quilbert::platform
