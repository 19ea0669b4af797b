#include "platform/smb/avahi_library.h"

#include "platform/smb/lazy_library.h"

namespace quilbert::smb {

namespace {

struct Loaded {
  AvahiCalls calls{};
  std::string why;
};

Loaded load() {
  // Debian's run-time name and package; it brings Avahi's common library,
  // whose calls are found through it.
  LazyLibrary library("libavahi-client.so.3", "libavahi-client3");
  Loaded l;
  AvahiCalls& c = l.calls;
  library.take("avahi_simple_poll_new", c.pollNew);
  library.take("avahi_simple_poll_get", c.pollGet);
  library.take("avahi_simple_poll_iterate", c.pollIterate);
  library.take("avahi_simple_poll_quit", c.pollQuit);
  library.take("avahi_simple_poll_free", c.pollFree);
  library.take("avahi_client_new", c.clientNew);
  library.take("avahi_client_free", c.clientFree);
  library.take("avahi_service_browser_new", c.browserNew);
  library.take("avahi_service_browser_free", c.browserFree);
  library.take("avahi_service_resolver_new", c.resolverNew);
  library.take("avahi_service_resolver_free", c.resolverFree);
  if (!library.ok()) l.why = "Avahi's client library cannot be loaded (" + library.why() + ")";
  return l;
}

}  // namespace

const AvahiCalls* avahiCalls(std::string* why) {
  static const Loaded loaded = load();
  if (why != nullptr) *why = loaded.why;
  return loaded.why.empty() ? &loaded.calls : nullptr;
}

}  // namespace quilbert::smb
