#include "net/computer_discovery.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "net/http_exchange.h"
#include "net/wsd_messages.h"

namespace quilbert::net {

using platform::FoundComputer;

namespace {

// Devices answer a Probe within half a second (they may wait that long on
// purpose, so that answers do not collide); the probe goes out twice, as
// datagrams get lost. Half the bound listens, the rest is for the last
// descriptions. One device that does not answer its Get costs at most this.
constexpr int kRepeatAfterMs = 100;
constexpr int kGetMs = 500;

// The address to ask for a device's description: an IPv4 one first; a
// link-local IPv6 one gets the zone its answer came in on.
std::optional<http::Url> descriptionUrl(const std::vector<std::string>& xaddrs,
                                        const std::string& from) {
  std::optional<http::Url> chosen;
  for (const std::string& x : xaddrs) {
    auto url = http::parseUrl(x);
    if (!url) continue;
    const bool v6 = url->host.find(':') != std::string::npos;
    if (v6 && url->host.find('%') == std::string::npos && from.find('%') != std::string::npos &&
        url->host.rfind("fe80:", 0) == 0) {
      url->host += from.substr(from.find('%'));
    }
    if (!v6) return url;
    if (!chosen) chosen = url;
  }
  return chosen;
}

}  // namespace

std::vector<FoundComputer> discoverComputers(platform::DiscoverySockets& sockets, int boundMs) {
  const std::int64_t start = sockets.nowMs();
  const std::int64_t end = start + boundMs;
  const std::int64_t listenEnd = start + boundMs / 2;
  const std::string probeId = wsd::newMessageId();
  const std::string probe = wsd::probe(probeId);
  if (!sockets.multicast(probe)) return {};
  bool repeated = false;
  std::set<std::string> ours{probeId};  // the messages whose answers we take
  std::set<std::string> described;      // devices asked for their description
  std::set<std::string> resolving;      // devices asked for an address
  std::vector<FoundComputer> found;

  // Past the listening half, only the answers already in are read.
  for (std::int64_t now = sockets.nowMs(); now < end; now = sockets.nowMs()) {
    const bool listening = now < listenEnd;
    if (!repeated && now >= start + kRepeatAfterMs) {
      sockets.multicast(probe);
      repeated = true;
    }
    const std::int64_t until = !listening ? now : repeated ? listenEnd : start + kRepeatAfterMs;
    std::string datagram;
    std::string from;
    if (!sockets.receive(static_cast<int>(until - now), datagram, from)) {
      if (!listening) break;
      continue;
    }
    const auto reply = wsd::readMatches(datagram);
    if (!reply || ours.count(reply->relatesTo) == 0) continue;
    for (const wsd::Match& match : reply->matches) {
      if (described.count(match.endpoint) != 0) continue;
      const auto url = descriptionUrl(match.xaddrs, from);
      if (!url) {
        // Matches often leave the address out: ask for it once.
        if (resolving.insert(match.endpoint).second) {
          const std::string id = wsd::newMessageId();
          ours.insert(id);
          sockets.multicast(wsd::resolve(id, match.endpoint));
        }
        continue;
      }
      described.insert(match.endpoint);
      const std::int64_t left = end - sockets.nowMs();
      if (left <= 0) break;
      std::string response;
      if (!sockets.exchange(url->host, url->port,
                            http::soapPost(*url, wsd::get(wsd::newMessageId(), match.endpoint)),
                            static_cast<int>(std::min<std::int64_t>(left, kGetMs)), http::complete,
                            response)) {
        continue;
      }
      const auto body = http::okBody(response);
      auto computer = body ? wsd::readComputer(*body) : std::nullopt;
      if (!computer) continue;  // a printer, a scanner, or no answer we can read
      computer->address = url->host;
      found.push_back(std::move(*computer));
    }
  }

  std::stable_sort(found.begin(), found.end(), [](const FoundComputer& a, const FoundComputer& b) {
    return std::tie(a.group, a.name) < std::tie(b.group, b.name);
  });
  // One device may announce itself under several endpoints (one per address).
  found.erase(std::unique(found.begin(), found.end(),
                          [](const FoundComputer& a, const FoundComputer& b) {
                            return a.group == b.group && a.name == b.name;
                          }),
              found.end());
  return found;
}

}  // namespace quilbert::net
