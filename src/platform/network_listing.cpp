#include "platform/network_listing.h"

#include <algorithm>
#include <iterator>

namespace quilbert::platform {

namespace {

// Closes an open enumeration however the listing ends.
class OpenEnumeration {
 public:
  OpenEnumeration(Network& net, EnumHandle h) : net_(net), handle_(h) {}
  ~OpenEnumeration() {
    try {
      net_.closeEnum(handle_);
    } catch (...) {  // the close's outcome is of no interest
    }
  }
  OpenEnumeration(const OpenEnumeration&) = delete;
  OpenEnumeration& operator=(const OpenEnumeration&) = delete;

 private:
  Network& net_;
  EnumHandle handle_;
};

// Reads every batch of an open enumeration into `out`. Returns 0 once all is
// read, else the service's code that ended the reading.
int readAll(Network& net, EnumHandle handle, std::vector<NetResource>& out) {
  std::vector<NetResource> batch;
  std::int32_t count = -1;  // as many as the buffer takes
  std::uint32_t announced = kEnumBufferSize;
  for (;;) {
    std::uint32_t size = announced;
    batch.clear();
    const int rc = net.enumResource(handle, count, batch, size);
    const std::size_t got =
        count > 0 ? std::min(static_cast<std::size_t>(count), batch.size()) : std::size_t{0};
    std::move(batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(got),
              std::back_inserter(out));
    if (got == 0) {
      // A record bigger than the buffer: offer the size the service asked
      // for, instead of losing that record and all that follow it.
      if (rc == neterr::kMoreData && size > announced) {
        announced = size;
        count = -1;
        continue;
      }
      return rc == neterr::kNoMoreItems || rc == neterr::kOk ? neterr::kOk : rc;
    }
    // More data, or a batch given with success by a service that only says
    // "no more items" on the call after: read on. The next request keeps the
    // count just returned.
    if (rc != neterr::kMoreData && rc != neterr::kOk) {
      return rc == neterr::kNoMoreItems ? neterr::kOk : rc;
    }
    announced = kEnumBufferSize;
  }
}

int list(Network& net, std::uint32_t scope, const NetResource* container, std::uint32_t type,
         std::vector<NetResource>& out) {
  EnumHandle handle = 0;
  const int rc = net.openEnum(scope, type, 0, container, handle);
  if (rc != neterr::kOk) return rc;
  const OpenEnumeration open(net, handle);
  return readAll(net, handle, out);
}

}  // namespace

int listChildren(Network& net, const NetResource* container, std::uint32_t type,
                 std::vector<NetResource>& out) {
  return list(net, kScopeGlobalNet, container, type, out);
}

int listConnections(Network& net, std::vector<NetResource>& out) {
  return list(net, kScopeConnected, nullptr, 0, out);
}

}  // namespace quilbert::platform
