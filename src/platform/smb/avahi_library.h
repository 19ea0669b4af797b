// Avahi's client, loaded at its first browse rather than with the program: a
// machine without it still browses, without mDNS, and its package is only
// recommended.
#pragma once

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/simple-watch.h>

#include <string>

namespace quilbert::smb {

// The calls the browse makes, resolved once from the library.
struct AvahiCalls {
  decltype(&avahi_simple_poll_new) pollNew;
  decltype(&avahi_simple_poll_get) pollGet;
  decltype(&avahi_simple_poll_iterate) pollIterate;
  decltype(&avahi_simple_poll_quit) pollQuit;
  decltype(&avahi_simple_poll_free) pollFree;
  decltype(&avahi_client_new) clientNew;
  decltype(&avahi_client_free) clientFree;
  decltype(&avahi_service_browser_new) browserNew;
  decltype(&avahi_service_browser_free) browserFree;
  decltype(&avahi_service_resolver_new) resolverNew;
  decltype(&avahi_service_resolver_free) resolverFree;
};

// The calls, loading the library on the first call; null when it cannot be
// loaded, with the reason in `why` (kept, so later calls say the same).
const AvahiCalls* avahiCalls(std::string* why = nullptr);

}  // namespace quilbert::smb
