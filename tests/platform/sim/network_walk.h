// A walk over a whole network the way the program's report reads it:
// breadth first, 4,096-byte buffers, count -1 first, then the count the
// previous call returned while the answer is 234. For tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/network.h"

namespace quilbert::sim::testing {

using platform::NetResource;

// What a walk found, in discovery order; its enumResource calls; the entries
// it could not open (no container, or a failed open).
struct Walk {
  std::vector<NetResource> found;
  int calls = 0;
  int failedOpens = 0;
};

inline Walk walkNetwork(platform::Network& net) {
  Walk w;
  std::size_t next = 0;
  bool top = true;
  while (top || next < w.found.size()) {
    platform::EnumHandle h = 0;
    int opened = -1;
    if (top) {
      opened = net.openEnum(platform::kScopeGlobalNet, 0, 0, nullptr, h);
      top = false;
    } else {
      NetResource parent = w.found[next++];
      if (parent.usage & platform::kUsageContainer) {
        opened = net.openEnum(platform::kScopeGlobalNet, 0, 0, &parent, h);
      }
    }
    if (opened != 0) {
      ++w.failedOpens;
      continue;
    }
    std::int32_t count = -1;
    int result = 0;
    do {
      std::uint32_t size = 4096;
      std::vector<NetResource> batch;
      result = net.enumResource(h, count, batch, size);
      ++w.calls;
      if (count > 0) w.found.insert(w.found.end(), batch.begin(), batch.begin() + count);
    } while (result == platform::neterr::kMoreData);
    net.closeEnum(h);
  }
  return w;
}

}  // namespace quilbert::sim::testing
