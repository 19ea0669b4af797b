// The network a Linux program of ours runs on, chosen the same way for every
// one of them by QUILBERT_NETWORK: "sim:PATH" the simulated network of PATH;
// "smb" the real one; unset, the simulated network of the settings folder
// (network.toml) when there is one, else the real one.
#pragma once

#include <string>

#include "platform/smb/smb_module.h"

namespace quilbert::platform {

// The chosen network. The real one is a module (quilbert-smb.so) loaded only
// here, from beside the executable `executable`, or from the install's library
// folder (`../lib/quilbert/` from its bin/ folder). Throws std::runtime_error
// with a sentence for the user.
smb::OpenedNetwork openChosenNetwork(const std::string& settingsFolder,
                                     const std::string& executable, const smb::ModuleHooks& hooks);

}  // namespace quilbert::platform
