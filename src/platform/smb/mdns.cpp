#include "platform/smb/mdns.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <algorithm>
#include <chrono>

#include "platform/smb/bounded.h"

namespace quilbert::smb {

namespace {

struct Browse {
  AvahiSimplePoll* poll = nullptr;
  AvahiClient* client = nullptr;
  std::vector<std::string> hosts;
  int pending = 0;  // resolutions under way
  bool listed = false;
};

void resolved(AvahiServiceResolver* r, AvahiIfIndex /*iface*/, AvahiProtocol /*protocol*/,
              AvahiResolverEvent event, const char* /*name*/, const char* /*type*/,
              const char* /*domain*/, const char* host, const AvahiAddress* /*address*/,
              uint16_t /*port*/, AvahiStringList* /*txt*/, AvahiLookupResultFlags /*flags*/,
              void* data) {
  auto* b = static_cast<Browse*>(data);
  if (event == AVAHI_RESOLVER_FOUND && host != nullptr) {
    std::string name = host;
    if (std::find(b->hosts.begin(), b->hosts.end(), name) == b->hosts.end()) {
      b->hosts.push_back(std::move(name));
    }
  }
  --b->pending;
  avahi_service_resolver_free(r);
  if (b->listed && b->pending == 0) avahi_simple_poll_quit(b->poll);
}

void browsed(AvahiServiceBrowser* /*browser*/, AvahiIfIndex iface, AvahiProtocol protocol,
             AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
             AvahiLookupResultFlags /*flags*/, void* data) {
  auto* b = static_cast<Browse*>(data);
  if (event == AVAHI_BROWSER_NEW) {
    if (avahi_service_resolver_new(b->client, iface, protocol, name, type, domain,
                                   AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0), resolved,
                                   b) != nullptr) {
      ++b->pending;
    }
  } else if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE) {
    b->listed = true;
    if (b->pending == 0) avahi_simple_poll_quit(b->poll);
  }
}

}  // namespace

namespace {

std::vector<std::string> browse(std::chrono::steady_clock::time_point deadline) {
  Browse b;
  b.poll = avahi_simple_poll_new();
  if (b.poll == nullptr) return {};
  int error = 0;
  // AVAHI_CLIENT_NO_FAIL is not asked for: without a daemon there is nothing to wait for.
  b.client = avahi_client_new(avahi_simple_poll_get(b.poll), AvahiClientFlags(0), nullptr, nullptr,
                              &error);
  if (b.client != nullptr) {
    AvahiServiceBrowser* browser =
        avahi_service_browser_new(b.client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, "_smb._tcp",
                                  nullptr, AvahiLookupFlags(0), browsed, &b);
    if (browser != nullptr) {
      for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (avahi_simple_poll_iterate(b.poll, static_cast<int>(left.count())) != 0) break;
      }
      avahi_service_browser_free(browser);
    }
    avahi_client_free(b.client);
  }
  avahi_simple_poll_free(b.poll);
  std::sort(b.hosts.begin(), b.hosts.end());
  return b.hosts;
}

}  // namespace

std::vector<std::string> announcedServers(int timeoutMs) {
  // The client's set-up talks to the system bus and the daemon with
  // libdbus's own waits: the whole browse runs within the bound.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  return withinBound<std::vector<std::string>>(timeoutMs + 100,
                                               [deadline] { return browse(deadline); })
      .value_or(std::vector<std::string>{});
}

}  // namespace quilbert::smb
