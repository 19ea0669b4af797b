// The one symbol the real network's module exports.
#include <type_traits>

#include "platform/opened_network.h"
#include "platform/smb/keyring.h"
#include "platform/smb/network_monitor.h"
#include "platform/smb/smb_network.h"

extern "C" __attribute__((visibility("default"))) void quilbert_smb_open(
    const quilbert::platform::ModuleHooks& hooks, quilbert::platform::OpenedNetwork& out) {
  auto options = quilbert::smb::SmbOptions::fromEnvironment();
  options.configuredRemotes = hooks.configuredRemotes;
  options.findComputers = hooks.findComputers;
  options.foundComputersName = hooks.foundComputersName;
  options.foundComputersMore = hooks.foundComputersMore;
  options.providerName = hooks.providerName;
  options.otherServersName = hooks.otherServersName;
  out.passwords = std::make_unique<quilbert::smb::Keyring>(options.port);
  auto network = std::make_unique<quilbert::smb::SmbNetwork>(std::move(options));
  out.drives = network.get();
  out.network = std::move(network);
  out.ownEvents = std::make_unique<quilbert::smb::NetworkMonitor>();
  out.events = out.ownEvents.get();
}

static_assert(std::is_same_v<decltype(&quilbert_smb_open), quilbert::platform::SmbModuleEntry>);
