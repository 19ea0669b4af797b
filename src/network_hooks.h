// What a Linux program of ours (the program, its command line) lends the
// real network: the servers of its configuration, and the computers found
// by discovery with the name of their entry in the program's language.
#pragma once

#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/globals.h"
#include "net/computer_finder.h"
#include "platform/opened_network.h"

namespace quilbert {

// `program` is read when the network asks, so it may be set after the
// network is opened.
inline platform::ModuleHooks networkHooks(const app::Globals* const& program) {
  platform::ModuleHooks hooks;
  hooks.configuredRemotes = [&program] {
    std::vector<std::string> remotes;
    if (program != nullptr) {
      for (const auto& entry : program->DriveTable) remotes.push_back(entry.Path);
    }
    return remotes;
  };
  hooks.foundComputersName = [&program] {
    return program != nullptr ? program->msg(app::kMsgFoundComputers) : std::string();
  };
  hooks.foundComputersMore = [&program] {
    return program != nullptr ? program->msg(app::kMsgMoreComputersAnswered) : std::string();
  };
  hooks.providerName = [&program] {
    return program != nullptr ? program->msg(app::kMsgSmbNetwork) : std::string();
  };
  hooks.otherServersName = [&program] {
    return program != nullptr ? program->msg(app::kMsgOtherServers) : std::string();
  };
  hooks.findComputers = net::computerFinder();
  return hooks;
}

}  // namespace quilbert
