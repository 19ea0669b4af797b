// The module gNetRes1: a breadth-first walk over every resource the network
// providers report, listed into the report window as it goes.
#pragma once

#include <cstdint>
#include <vector>

#include "app/globals.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/network.h"

namespace quilbert::ui::gNetRes1 {

// One collected resource, as the network described it; a string the network
// gave as null stays nullopt and goes back to it as null.
using NetResourceEntry = platform::NetResource;

// Size announced to the service for every batch, in bytes.
inline constexpr std::uint32_t kEnumBufferSize = 4096;

// The catalogue entry that heads a resource of a display type (0 to 9), or 0
// for a display type that has no heading.
int headingNumber(std::uint32_t displayType);

// Lists the children of `container` (the top of the network when null) of a
// resource type (0 any, 1 disk) into `out`, every batch read and the
// enumeration closed. Returns the service's code for the open, or for a
// first read that failed (0 listed).
int ListContainer(platform::Network& net, const NetResourceEntry* container, std::uint32_t type,
                  std::vector<NetResourceEntry>& out);

// Walks the network level by level and appends to `text2`, for each resource
// in discovery order, its heading line (when its display type has one) and
// its detail line (remote name, one blank, comment). Repaints `window` and
// lets the toolkit deliver events after each visit that added lines; stops
// early if `window` is unloaded meanwhile. Containers that cannot be opened
// are skipped; nothing is ever reported and nothing escapes.
void EnumNetResources(app::Globals& g, forms::Form& window, forms::ListBox& text2);

}  // namespace quilbert::ui::gNetRes1
