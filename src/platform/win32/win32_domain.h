// The log-on's names as Windows sets them at log-on, and CNG's AES.
#pragma once

#include "platform/domain.h"

namespace quilbert::platform {

class Win32Domain : public Domain {
 public:
  std::map<std::string, std::string> logonVariables() override;
  std::optional<std::string> aes256Cbc(CipherWay way, std::string_view key, std::string_view iv,
                                       std::string_view data) override;
};

}  // namespace quilbert::platform
