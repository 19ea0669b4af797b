// Listing a container's children over the Network contract: the one way
// every caller opens an enumeration, reads its batches and closes it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/network.h"

namespace quilbert::platform {

// Size announced to the service for every batch, in bytes.
inline constexpr std::uint32_t kEnumBufferSize = 4096;

// Appends the children of `container` (the top of the network when null) of
// a resource type (0 any, 1 disk) to `out`, every batch read and the
// enumeration closed. A record bigger than the buffer is asked for again
// with the size the service named. Returns 0 once all is read, else the
// service's code for the open or for the read that ended the listing (what
// was read before it stays in `out`).
int listChildren(Network& net, const NetResource* container, std::uint32_t type,
                 std::vector<NetResource>& out);

// The same over the connections the service keeps (any type).
int listConnections(Network& net, std::vector<NetResource>& out);

}  // namespace quilbert::platform
