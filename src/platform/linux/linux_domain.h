// The log-on's names from the environment (a domain log-on script or PAM may
// set them), else the local account and the host; the cipher is libcrypto's.
#pragma once

#include "platform/domain.h"

namespace quilbert::platform {

class LinuxDomain : public Domain {
 public:
  std::map<std::string, std::string> logonVariables() override;
  std::optional<std::string> aes256Cbc(CipherWay way, std::string_view key, std::string_view iv,
                                       std::string_view data) override;
};

}  // namespace quilbert::platform
