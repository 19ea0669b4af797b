#include "ui/report/net_resources.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>

#include "platform/forms/toolkit.h"
#include "platform/shown_text.h"

namespace quilbert::ui::gNetRes1 {

using platform::EnumHandle;
using platform::NetResource;
namespace neterr = platform::neterr;

namespace {

// Headings follow the alphabetical order of the display types' names, not
// their values: DIRECTORY 119, DOMAIN 120, FILE 121, GENERIC 122, ...
constexpr int kHeadings[10] = {122, 120, 126, 127, 121, 123, 124, 125, 128, 119};

// Closes an open enumeration however the visit ends.
class OpenEnumeration {
 public:
  OpenEnumeration(platform::Network& net, EnumHandle h) : net_(net), handle_(h) {}
  ~OpenEnumeration() {
    try {
      net_.closeEnum(handle_);
    } catch (...) {  // the close's outcome is of no interest
    }
  }
  OpenEnumeration(const OpenEnumeration&) = delete;
  OpenEnumeration& operator=(const OpenEnumeration&) = delete;

 private:
  platform::Network& net_;
  EnumHandle handle_;
};

// Reads every batch of an open enumeration into `collection`. Returns 0 once
// all is read, else the service's code that ended the reading.
int readAll(platform::Network& net, EnumHandle handle, std::vector<NetResourceEntry>& collection,
            std::vector<NetResource>& batch) {
  std::int32_t count = -1;  // as many as the buffer takes
  std::uint32_t announced = kEnumBufferSize;
  for (;;) {
    std::uint32_t size = announced;
    batch.clear();
    const int rc = net.enumResource(handle, count, batch, size);
    const std::size_t got =
        count > 0 ? std::min(static_cast<std::size_t>(count), batch.size()) : std::size_t{0};
    std::move(batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(got),
              std::back_inserter(collection));
    if (got == 0) {
      // A record bigger than the buffer: offer the size the service asked
      // for, once, instead of losing that record and all that follow it.
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

}  // namespace

int headingNumber(std::uint32_t displayType) {
  return displayType < 10 ? kHeadings[displayType] : 0;
}

int ListContainer(platform::Network& net, const NetResourceEntry* container, std::uint32_t type,
                  std::vector<NetResourceEntry>& out) {
  EnumHandle handle = 0;
  const int rc = net.openEnum(platform::kScopeGlobalNet, type, 0, container, handle);
  if (rc != neterr::kOk) return rc;
  OpenEnumeration open(net, handle);
  std::vector<NetResource> batch;
  const std::size_t before = out.size();
  const int read = readAll(net, handle, out, batch);
  // A service may open a server it cannot reach and say so at the first
  // read (Windows' mpr does): nothing listed then is that failure, not an
  // empty server.
  return out.size() == before ? read : neterr::kOk;
}

void EnumNetResources(app::Globals& g, forms::Form& window, forms::ListBox& text2) {
  platform::Network& net = g.svc.network;
  std::vector<NetResourceEntry> collection;
  std::vector<NetResource> batch;
  // Plain sizes: a 16-bit counter here once cut long lists short.
  std::size_t nextToVisit = 0;
  std::size_t firstUnlisted = 0;
  bool topLevel = true;
  try {
    do {
      EnumHandle handle = 0;
      int rc = -1;
      if (topLevel) {
        topLevel = false;
        rc = net.openEnum(platform::kScopeGlobalNet, platform::kTypeAny, 0, nullptr, handle);
      } else {
        const NetResourceEntry& parent = collection[nextToVisit];
        ++nextToVisit;
        if ((parent.usage & platform::kUsageContainer) != 0) {
          rc = net.openEnum(platform::kScopeGlobalNet, platform::kTypeAny, 0, &parent, handle);
        }
      }
      if (rc == neterr::kOk) {
        OpenEnumeration open(net, handle);
        readAll(net, handle, collection, batch);
      }

      if (firstUnlisted < collection.size()) {
        for (std::size_t i = firstUnlisted; i < collection.size(); ++i) {
          const NetResourceEntry& e = collection[i];
          if (const int heading = headingNumber(e.displayType); heading != 0) {
            text2.addItem(g.msg(heading));
          }
          // Names and comments come from other hosts.
          text2.addItem(platform::shownText(e.remoteName.value_or("")) + " " +
                        platform::shownText(e.comment.value_or("")));
        }
        firstUnlisted = collection.size();
        window.refresh();
        window.toolkit().processEvents();
        if (!window.loaded()) return;  // closed while the walk went on
      }
    } while (nextToVisit < collection.size());
  } catch (const std::exception&) {
    // A failing service ends the walk; what is listed stays listed.
  }
}

}  // namespace quilbert::ui::gNetRes1
