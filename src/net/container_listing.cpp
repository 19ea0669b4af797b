#include "net/container_listing.h"

#include "platform/network_listing.h"

namespace quilbert::net {

namespace {
// Headings follow the alphabetical order of the display types' names, not
// their values: DIRECTORY 119, DOMAIN 120, FILE 121, GENERIC 122, ...
constexpr int kHeadings[10] = {122, 120, 126, 127, 121, 123, 124, 125, 128, 119};
}  // namespace

int headingNumber(std::uint32_t displayType) {
  return displayType < 10 ? kHeadings[displayType] : 0;
}

int listContainer(platform::Network& net, const platform::NetResource* container,
                  std::uint32_t type, std::vector<platform::NetResource>& out) {
  const std::size_t before = out.size();
  const int rc = platform::listChildren(net, container, type, out);
  // A service may open a server it cannot reach and say so at the first
  // read (Windows' mpr does): nothing listed then is that failure, not an
  // empty server.
  return out.size() == before ? rc : platform::neterr::kOk;
}

}  // namespace quilbert::net
