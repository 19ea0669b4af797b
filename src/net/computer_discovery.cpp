#include "net/computer_discovery.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "net/host_address.h"
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

// Any host of the link may answer, as often and as many as it likes: the
// discovery takes so many devices, and asks so many times, at most. Each Get
// gives one computer at most, which bounds the computers kept.
constexpr std::size_t kMostMatches = 64;
constexpr std::size_t kMostResolves = 16;
constexpr std::size_t kMostGets = 32;

// Where to ask for a device's description: at the address its answer came
// from, and only when one of its addresses names that host (a device vouches
// for itself, not for another host). A link-local IPv6 address keeps the
// zone its answer came in on. `refused`: it named only other hosts.
std::optional<http::Url> descriptionUrl(const std::vector<std::string>& xaddrs,
                                        const std::string& from, bool& refused) {
  refused = false;
  const auto sender = parseAddress(from);
  for (const std::string& x : xaddrs) {
    auto url = http::parseUrl(x);
    if (!url) continue;
    refused = true;
    if (!sender || !reachable(*sender) || parseAddress(url->host) != sender) continue;
    url->host = from;
    return url;
  }
  return std::nullopt;
}

// What one discovery has asked for and found so far.
class Discovering {
 public:
  Discovering(platform::DiscoverySockets& sockets, std::int64_t end, const std::string& probeId)
      : sockets_(sockets), end_(end), ours_{probeId} {}

  // Reads the matches of one answer to a message of ours.
  void read(const wsd::Matches& reply, const std::string& from) {
    if (ours_.count(reply.relatesTo) == 0) return;
    for (const wsd::Match& match : reply.matches) {
      if (described_.count(match.endpoint) != 0 || !take(match.endpoint)) continue;
      bool refused = false;
      const auto url = descriptionUrl(match.xaddrs, from, refused);
      if (!url) {
        // Matches often leave the address out: ask for it once.
        if (!refused) resolve(match.endpoint);
        continue;
      }
      // No time left: the rest of this answer is not read.
      if (!describe(*url, match.endpoint)) return;
    }
  }

  // The computers found, by group and name, each once; called once, at the end.
  platform::Discovery result() {
    std::vector<FoundComputer>& found = out_.computers;
    std::stable_sort(found.begin(), found.end(),
                     [](const FoundComputer& a, const FoundComputer& b) {
                       return std::tie(a.group, a.name) < std::tie(b.group, b.name);
                     });
    // One device may announce itself under several endpoints (one per address).
    found.erase(std::unique(found.begin(), found.end(),
                            [](const FoundComputer& a, const FoundComputer& b) {
                              return a.group == b.group && a.name == b.name;
                            }),
                found.end());
    return std::move(out_);
  }

 private:
  // Whether a device's matches are read: a new one only while there is room.
  bool take(const std::string& endpoint) {
    if (taken_.count(endpoint) != 0) return true;
    if (taken_.size() >= kMostMatches) {
      out_.more = true;
      return false;
    }
    taken_.insert(endpoint);
    return true;
  }

  // Asks the link for a device's address, once, while there is room.
  void resolve(const std::string& endpoint) {
    if (resolving_.count(endpoint) != 0) return;
    if (resolving_.size() >= kMostResolves) {
      out_.more = true;
      return;
    }
    resolving_.insert(endpoint);
    const std::string id = wsd::newMessageId();
    ours_.insert(id);
    sockets_.multicast(wsd::resolve(id, endpoint));
  }

  // Asks a device for its description and keeps the computer it describes;
  // false when no time is left to ask.
  bool describe(const http::Url& url, const std::string& endpoint) {
    if (described_.size() >= kMostGets) {
      out_.more = true;
      return true;
    }
    described_.insert(endpoint);
    const std::int64_t left = end_ - sockets_.nowMs();
    if (left <= 0) return false;
    std::string response;
    if (!sockets_.exchange(
            url.host, url.port, http::soapPost(url, wsd::get(wsd::newMessageId(), endpoint)),
            static_cast<int>(std::min<std::int64_t>(left, kGetMs)), http::complete, response)) {
      return true;
    }
    const auto body = http::okBody(response);
    auto computer = body ? wsd::readComputer(*body) : std::nullopt;
    if (!computer) return true;  // a printer, a scanner, or no answer we can read
    computer->address = url.host;
    out_.computers.push_back(std::move(*computer));
    return true;
  }

  platform::DiscoverySockets& sockets_;
  const std::int64_t end_;
  std::set<std::string> ours_;       // the messages whose answers we take
  std::set<std::string> taken_;      // devices whose matches are read
  std::set<std::string> described_;  // devices asked for their description
  std::set<std::string> resolving_;  // devices asked for an address
  platform::Discovery out_;
};

}  // namespace

platform::Discovery discoverComputers(platform::DiscoverySockets& sockets, int boundMs) {
  const std::int64_t start = sockets.nowMs();
  const std::int64_t end = start + boundMs;
  const std::int64_t listenEnd = start + boundMs / 2;
  const std::string probeId = wsd::newMessageId();
  const std::string probe = wsd::probe(probeId);
  if (!sockets.multicast(probe)) return {};
  bool repeated = false;
  Discovering discovering(sockets, end, probeId);

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
    if (const auto reply = wsd::readMatches(datagram)) discovering.read(*reply, from);
  }
  return discovering.result();
}

}  // namespace quilbert::net
