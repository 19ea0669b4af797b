// The four routines between the program and the networking service.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "app/globals.h"

namespace quilbert::net {

// Raised by UserName when the service refuses; number -2147221504 (the
// automation base for object errors), source "NetworkServices.UserName".
struct UserNameError : std::runtime_error {
  explicit UserNameError(std::int32_t code);
  std::int32_t code;
  static constexpr std::int32_t kNumber = -2147221504;
  static constexpr const char* kSource = "NetworkServices.UserName";
};

// Maps localName ("X:") to remoteName with the user name and password as
// given. Writes LastNetError only when the service refuses.
void AddDriveConnection(app::Globals& g, const std::string& localName,
                        const std::string& remoteName, const std::string& userName,
                        const std::string& password);
// Drops the connection of localName ("X:"), forgetting a remembered one,
// without forcing open files; returns the service's code.
std::int32_t CancelDriveConnection(app::Globals& g, const std::string& localName);
// The network user name of localName ("" = the current logon): the whole
// 255-character buffer with spaces trimmed, NUL and what follows included.
std::string UserName(app::Globals& g, const std::string& localName);
// The current logon's user name as the configuration file is named after:
// UserName("") cut at its first NUL and lower-cased; empty when the query
// fails or the answer holds no NUL.
std::string logonUserForFiles(app::Globals& g);
// NetErrorText = the catalogue sentence for the code ("" for 0).
void SetNetErrorText(app::Globals& g, std::int32_t code);
// The same for a failure on `path`: a path the network calls cannot carry is
// told with the characters they refuse.
void SetNetErrorText(app::Globals& g, std::int32_t code, const std::string& path);
// The catalogue entry SetNetErrorText uses for a code.
int errorMessageNumber(std::int32_t code);

}  // namespace quilbert::net
