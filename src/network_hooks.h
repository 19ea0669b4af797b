// What a Linux program of ours (the program, its command line) lends the
// real network: the servers of its configuration, and the computers found
// by discovery with the name of their entry in the program's language.
#pragma once

#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/config.h"
#include "net/computer_finder.h"
#include "platform/opened_network.h"

namespace quilbert {

// `config` and `texts` are read when the network asks, so they may be set
// after the network is opened.
inline platform::ModuleHooks networkHooks(const app::Config* const& config,
                                          const app::Catalogue* const& texts) {
  platform::ModuleHooks hooks;
  hooks.configuredRemotes = [&config] {
    std::vector<std::string> remotes;
    if (config != nullptr) {
      for (const auto& entry : config->DriveTable) remotes.push_back(entry.Path);
    }
    return remotes;
  };
  hooks.foundComputersName = [&texts] {
    return texts != nullptr ? texts->msg(app::kMsgFoundComputers) : std::string();
  };
  hooks.foundComputersMore = [&texts] {
    return texts != nullptr ? texts->msg(app::kMsgMoreComputersAnswered) : std::string();
  };
  hooks.providerName = [&texts] {
    return texts != nullptr ? texts->msg(app::kMsgSmbNetwork) : std::string();
  };
  hooks.otherServersName = [&texts] {
    return texts != nullptr ? texts->msg(app::kMsgOtherServers) : std::string();
  };
  hooks.findComputers = net::computerFinder();
  return hooks;
}

}  // namespace quilbert
