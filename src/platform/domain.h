// What a Windows domain's policy files lean on: the names the user's log-on
// gives, and the cipher their stored passwords were written with. The cipher
// is the system's own well-kept library (OpenSSL's libcrypto on Linux, CNG on
// Windows), never one of ours.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quilbert::platform {

enum class CipherWay { Encrypt, Decrypt };

class Domain {
 public:
  virtual ~Domain() = default;
  // USERNAME, USERDOMAIN, LOGONSERVER and COMPUTERNAME as the log-on gives
  // them (keys in upper case). A machine outside a domain logs on locally:
  // its domain is the computer's name and its log-on server the computer.
  virtual std::map<std::string, std::string> logonVariables() = 0;
  // AES-256 in CBC mode with PKCS#7 padding. nullopt when the key is not 32
  // bytes, the IV not 16, or the data does not decrypt (length, padding).
  virtual std::optional<std::string> aes256Cbc(CipherWay way, std::string_view key,
                                               std::string_view iv, std::string_view data) = 0;
};

}  // namespace quilbert::platform
