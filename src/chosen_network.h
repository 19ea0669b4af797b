// The network service a Linux program runs on, chosen from the environment:
// QUILBERT_NETWORK=sim:PATH (a simulated network), smb (the real one), or
// unset (the simulated network of the settings folder when there is one, else
// the real one). Shared by the program and the command line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/drives.h"
#include "platform/linux/file_registry.h"
#include "platform/network.h"

namespace quilbert::sim {
class SimNetwork;
}
namespace quilbert::smb {
class SmbNetwork;
}

namespace quilbert {

class ChosenNetwork {
 public:
  // Throws std::runtime_error (with a message for the user) for an unknown
  // choice or a faulty network description.
  explicit ChosenNetwork(const platform::FileRegistry& registry);
  ~ChosenNetwork();
  ChosenNetwork(const ChosenNetwork&) = delete;
  ChosenNetwork& operator=(const ChosenNetwork&) = delete;

  platform::Network& network();
  platform::Drives& drives();
  // The program state whose configured servers the real network's browsing
  // offers too (none until given).
  void offerServersOf(const app::Globals& g) { program_ = &g; }

 private:
  std::unique_ptr<sim::SimNetwork> simulated_;
  std::unique_ptr<smb::SmbNetwork> real_;
  const app::Globals* program_ = nullptr;
};

}  // namespace quilbert
