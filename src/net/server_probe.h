// Asks a share's server, once per server, whether it answers and offers the
// share: why a letter is not connected, or whether a connected letter's
// server is still there. Each question stays within the network's bound.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network.h"

namespace quilbert::net {

// Share paths name the same share whatever their case and a final backslash.
bool sameSharePath(std::string_view a, std::string_view b);

class ServerProbe {
 public:
  explicit ServerProbe(platform::Network& net) : net_(net) {}
  // 2250 when the server answers and offers the share, 67 when it does not
  // offer it, else the server's code (53, 1231, ...).
  int why(const std::string& path);
  // The server of a connected letter no longer answers.
  bool silent(const std::string& path);

 private:
  struct Answer {
    int code = platform::neterr::kOk;
    std::vector<platform::NetResource> shares;
  };
  platform::Network& net_;
  std::map<std::string, Answer> servers_;
};

}  // namespace quilbert::net
