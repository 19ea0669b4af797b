// The network a program runs on, as it is opened at start: the service with
// its drives, events and password store, whichever network was chosen. The
// real network is a module of its own (quilbert-smb.so), loaded at run time
// only when it is chosen: GIO's mounts, Avahi and, at its first use,
// libsmbclient then come with it, and a start on the simulated network loads
// none of them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/credentials.h"
#include "platform/discovery.h"
#include "platform/drives.h"
#include "platform/network.h"
#include "platform/network_events.h"

namespace quilbert::platform {

// A network service with its drives: one object serving both.
struct OpenedNetwork {
  std::unique_ptr<Network> network;
  Drives* drives = nullptr;
  // The machine's network changes and wake-ups, when the network tells them.
  std::unique_ptr<NetworkEvents> ownEvents;
  NetworkEvents* events = nullptr;
  // Where passwords are kept outside the file (null: only in the file).
  std::unique_ptr<PasswordStore> passwords;
};

// What the program lends the real network.
struct ModuleHooks {
  // The shares the user's configuration holds ("\\server\share"), asked
  // when the browser lists servers.
  std::function<std::vector<std::string>()> configuredRemotes;
  // The computers found by discovery; may be empty.
  ComputerFinder findComputers;
  // The name of the entry they are listed under; may be empty.
  ContainerName foundComputersName;
  // The note of their groups when more answered than were kept; may be empty.
  ContainerName foundComputersMore;
  // The names of the network's own entries in the program's language; may be empty.
  ContainerName providerName;
  ContainerName otherServersName;
};

// The real network's module: its file, and its one entry, which opens the
// real network as the environment sets it up (drives folder, port, time-out,
// the logged-on user).
inline constexpr char kSmbModuleFile[] = "quilbert-smb.so";
inline constexpr char kSmbModuleEntry[] = "quilbert_smb_open";
using SmbModuleEntry = void (*)(const ModuleHooks& hooks, OpenedNetwork& out);

}  // namespace quilbert::platform
