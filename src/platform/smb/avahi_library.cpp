#include "platform/smb/avahi_library.h"

#include "platform/lazy_library.h"

namespace quilbert::smb {

const AvahiCalls* avahiCalls(std::string* why) {
  // Debian's run-time name and package; it brings Avahi's common library,
  // whose calls are found through it.
  static const platform::LibraryCalls<AvahiCalls> calls(
      "libavahi-client.so.3", "libavahi-client3", "Avahi's client library",
      [](platform::LazyLibrary& l, AvahiCalls& c) {
        l.take("avahi_simple_poll_new", c.pollNew);
        l.take("avahi_simple_poll_get", c.pollGet);
        l.take("avahi_simple_poll_iterate", c.pollIterate);
        l.take("avahi_simple_poll_quit", c.pollQuit);
        l.take("avahi_simple_poll_free", c.pollFree);
        l.take("avahi_client_new", c.clientNew);
        l.take("avahi_client_free", c.clientFree);
        l.take("avahi_service_browser_new", c.browserNew);
        l.take("avahi_service_browser_free", c.browserFree);
        l.take("avahi_service_resolver_new", c.resolverNew);
        l.take("avahi_service_resolver_free", c.resolverFree);
      });
  return calls.get(why);
}

}  // namespace quilbert::smb
