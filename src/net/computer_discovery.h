// The computers of the local link that announce themselves by WS-Discovery
// (Windows 10 and later, Samba hosts running wsdd): a Probe to the discovery
// groups, a Resolve for the devices that answer without an address, then
// the metadata Get of each device, which names the computer and its
// workgroup or domain. Only devices that are computers are kept.
//
//   auto sockets = platform::openDiscoverySockets();
//   for (const auto& c : net::discoverComputers(*sockets).computers) ...
#pragma once

#include <vector>

#include "platform/discovery.h"

namespace quilbert::net {

// The longest the whole discovery holds its caller.
inline constexpr int kDiscoveryBoundMs = 2000;

// The computers found within `boundMs`, sorted by group and name, each once
// (with the address it answered on first). A device is only asked at the
// address it answered from, and only when it names that address itself.
// Nothing is sent or kept before or after the call.
platform::Discovery discoverComputers(platform::DiscoverySockets& sockets,
                                      int boundMs = kDiscoveryBoundMs);

}  // namespace quilbert::net
