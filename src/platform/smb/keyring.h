// The desktop's keyring (the Secret Service) as the program's password store,
// in the form the file manager keeps SMB passwords, so that each serves the
// other: schema org.gnome.keyring.NetworkPassword, protocol "smb", the server
// in lower case, the user, the domain when the login names one, the port when
// it is not the standard one.
#pragma once

#include "platform/credentials.h"

namespace quilbert::smb {

class Keyring final : public platform::PasswordStore {
 public:
  // `port`: the port the network connects to (0 or 445: the standard one).
  explicit Keyring(int port) : port_(port) {}

  [[nodiscard]] Kind kind() const override { return Kind::Keyring; }
  platform::StoredPassword lookup(const std::string& server, const std::string& login) override;
  std::string save(const std::string& server, const std::string& login,
                   const std::string& password) override;
  std::string remove(const std::string& server, const std::string& login) override;
  [[nodiscard]] bool ticketFor(const std::string& login) const override;

 private:
  int port_;
};

}  // namespace quilbert::smb
