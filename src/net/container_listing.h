// The listing of one container, as the report names it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/network.h"

namespace quilbert::net {

// The catalogue entry that heads a resource of a display type (0 to 9), or 0
// for a display type that has no heading.
int headingNumber(std::uint32_t displayType);

// Lists the children of `container` (the top of the network when null) of a
// resource type (0 any, 1 disk) into `out`, every batch read and the
// enumeration closed. Returns the service's code for the open, or for a
// first read that failed (0 listed).
int listContainer(platform::Network& net, const platform::NetResource* container,
                  std::uint32_t type, std::vector<platform::NetResource>& out);

}  // namespace quilbert::net
