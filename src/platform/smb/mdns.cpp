#include "platform/smb/mdns.h"

#include <algorithm>
#include <chrono>

#include "platform/log.h"
#include "platform/smb/avahi_library.h"
#include "platform/smb/bounded.h"

namespace quilbert::smb {

namespace {

struct Browse {
  const AvahiCalls* avahi = nullptr;
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
  b->avahi->resolverFree(r);
  if (b->listed && b->pending == 0) b->avahi->pollQuit(b->poll);
}

void browsed(AvahiServiceBrowser* /*browser*/, AvahiIfIndex iface, AvahiProtocol protocol,
             AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
             AvahiLookupResultFlags /*flags*/, void* data) {
  auto* b = static_cast<Browse*>(data);
  if (event == AVAHI_BROWSER_NEW) {
    if (b->avahi->resolverNew(b->client, iface, protocol, name, type, domain, AVAHI_PROTO_UNSPEC,
                              AvahiLookupFlags(0), resolved, b) != nullptr) {
      ++b->pending;
    }
  } else if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE) {
    b->listed = true;
    if (b->pending == 0) b->avahi->pollQuit(b->poll);
  }
}

}  // namespace

namespace {

std::vector<std::string> browse(const AvahiCalls& avahi,
                                std::chrono::steady_clock::time_point deadline) {
  Browse b;
  b.avahi = &avahi;
  b.poll = avahi.pollNew();
  if (b.poll == nullptr) return {};
  int error = 0;
  // AVAHI_CLIENT_NO_FAIL is not asked for: without a daemon there is nothing to wait for.
  b.client = avahi.clientNew(avahi.pollGet(b.poll), AvahiClientFlags(0), nullptr, nullptr, &error);
  if (b.client != nullptr) {
    AvahiServiceBrowser* browser =
        avahi.browserNew(b.client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, "_smb._tcp", nullptr,
                         AvahiLookupFlags(0), browsed, &b);
    if (browser != nullptr) {
      for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (avahi.pollIterate(b.poll, static_cast<int>(left.count())) != 0) break;
      }
      avahi.browserFree(browser);
    }
    avahi.clientFree(b.client);
  }
  avahi.pollFree(b.poll);
  std::sort(b.hosts.begin(), b.hosts.end());
  return b.hosts;
}

}  // namespace

std::vector<std::string> announcedServers(int timeoutMs) {
  std::string missing;
  const AvahiCalls* avahi = avahiCalls(&missing);
  if (avahi == nullptr) {
    static bool told = false;
    if (!told) platform::logLine("no mDNS browsing, only the other servers: " + missing);
    told = true;
    return {};
  }
  // The client's set-up talks to the system bus and the daemon with
  // libdbus's own waits: the whole browse runs within the bound.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  return withinBound<std::vector<std::string>>(
             timeoutMs + 100, [avahi, deadline] { return browse(*avahi, deadline); })
      .value_or(std::vector<std::string>{});
}

}  // namespace quilbert::smb
