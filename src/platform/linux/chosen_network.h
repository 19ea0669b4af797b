// The network a Linux program of ours runs on, chosen the same way for every
// one of them by QUILBERT_NETWORK: "sim:PATH" the simulated network of PATH;
// "smb" the real one; unset, the simulated network of the settings folder
// (network.toml) when there is one, else the real one.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/opened_network.h"

namespace quilbert::platform {

// Opens the simulated network a description file describes (the program lends
// it: this folder only chooses).
using SimulatedNetworkOpener = std::function<OpenedNetwork(const std::filesystem::path& file)>;

// The chosen network. The real one is a module (quilbert-smb.so) loaded only
// here, from beside the executable `executable`, or from the install's library
// folder (`../lib/x86_64-linux-gnu/quilbert/` from its bin/ folder on Debian).
// Throws std::runtime_error with a sentence for the user.
OpenedNetwork openChosenNetwork(const std::string& settingsFolder, const std::string& executable,
                                const ModuleHooks& hooks,
                                const SimulatedNetworkOpener& openSimulated);

}  // namespace quilbert::platform
