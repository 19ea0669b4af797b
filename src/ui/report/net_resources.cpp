#include "ui/report/net_resources.h"

#include <exception>
#include <string>

#include "net/container_listing.h"
#include "platform/forms/toolkit.h"
#include "platform/network_listing.h"
#include "platform/shown_text.h"

namespace quilbert::ui {

void EnumNetResources(platform::Network& net, const app::Catalogue& texts, forms::Form& window,
                      forms::ListBox& text2) {
  std::vector<NetResourceEntry> collection;
  // Plain sizes: a 16-bit counter here once cut long lists short.
  std::size_t nextToVisit = 0;
  std::size_t firstUnlisted = 0;
  bool topLevel = true;
  try {
    do {
      if (topLevel) {
        topLevel = false;
        platform::listChildren(net, nullptr, platform::kTypeAny, collection);
      } else {
        const NetResourceEntry& parent = collection[nextToVisit];
        ++nextToVisit;
        if ((parent.usage & platform::kUsageContainer) != 0) {
          platform::listChildren(net, &parent, platform::kTypeAny, collection);
        }
      }

      if (firstUnlisted < collection.size()) {
        for (std::size_t i = firstUnlisted; i < collection.size(); ++i) {
          const NetResourceEntry& e = collection[i];
          if (const int heading = net::headingNumber(e.displayType); heading != 0) {
            text2.addItem(texts.msg(heading));
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

}  // namespace quilbert::ui
