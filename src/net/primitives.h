// The four routines between the program and the networking service.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "app/catalogue.h"
#include "app/services.h"

namespace quilbert::net {

// Raised by UserName when the service refuses; number -2147221504 (the
// automation base for object errors), source "NetworkServices.UserName".
struct UserNameError : std::runtime_error {
  explicit UserNameError(std::int32_t code);
  std::int32_t code;
  static constexpr std::int32_t kNumber = -2147221504;
  static constexpr const char* kSource = "NetworkServices.UserName";
};

// What a network call ended with: its code (0: done) and the words a person
// reads for it ("" for 0).
struct NetOutcome {
  std::int32_t code = 0;
  std::string words;
  [[nodiscard]] bool ok() const { return code == 0; }
};

// Maps localName ("X:") to remoteName with the user name and password as
// given (or the credentials kept for them).
NetOutcome AddDriveConnection(const app::Services& svc, const app::Catalogue& texts,
                              const std::string& localName, const std::string& remoteName,
                              const std::string& userName, const std::string& password);
// Drops the connection of localName ("X:"), forgetting a remembered one,
// without forcing open files.
NetOutcome CancelDriveConnection(const app::Services& svc, const app::Catalogue& texts,
                                 const std::string& localName);
// The network user name of localName ("" = the current logon): the whole
// 255-character buffer with spaces trimmed, NUL and what follows included.
std::string UserName(platform::Network& network, const std::string& localName);
// The current logon's user name as the configuration file is named after:
// UserName("") cut at its first NUL and lower-cased; empty when the query
// fails or the answer holds no NUL.
std::string logonUserForFiles(platform::Network& network);
// The catalogue sentence for the code ("" for 0).
std::string netErrorWords(const app::Catalogue& texts, std::int32_t code);
// The same for a failure on `path`: a path the network calls cannot carry is
// told with the characters they refuse.
std::string netErrorWords(const app::Catalogue& texts, const platform::Network& network,
                          std::int32_t code, const std::string& path);
// The catalogue entry of a code's words.
int errorMessageNumber(std::int32_t code);

}  // namespace quilbert::net
