// Finding the computers of the local link that announce themselves by
// WS-Discovery: what a found computer is, and the sockets the protocol
// (net/computer_discovery.h) needs, so that the protocol makes no OS call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quilbert::platform {

struct FoundComputer {
  std::string name;     // as the computer gives it
  std::string group;    // its workgroup, or its domain
  bool domain = false;  // `group` is a domain
  std::string address;  // the numeric address its description came from
  friend bool operator==(const FoundComputer&, const FoundComputer&) = default;
};

// What one discovery found; `more` when more devices answered than it
// would take (it keeps to fixed counts: any host may answer).
struct Discovery {
  std::vector<FoundComputer> computers;
  bool more = false;
};

// One bounded discovery, as a network service asks for it.
using ComputerFinder = std::function<Discovery()>;
// The name, in the user's language, of the container the computers found are
// listed under.
using ContainerName = std::function<std::string()>;

class DiscoverySockets {
 public:
  virtual ~DiscoverySockets() = default;

  // Milliseconds on a clock that never goes back.
  virtual std::int64_t nowMs() = 0;
  // Sends `datagram` to 239.255.255.250:3702 and [FF02::C]:3702 on every
  // interface that is up and takes multicast, opening the sockets on first
  // use; false when it went out nowhere.
  virtual bool multicast(const std::string& datagram) = 0;
  // The next datagram sent back to those sockets, waiting at most
  // `timeoutMs`; false when none came. `from` is the sender's numeric
  // address, an IPv6 one with "%" and the interface it came in on.
  virtual bool receive(int timeoutMs, std::string& datagram, std::string& from) = 0;
  // Sends `request` over TCP to `host` (numeric) and `port`, and reads the
  // answer until `complete` says it is whole or the peer closes; false on
  // failure, or when `timeoutMs` passes first.
  virtual bool exchange(const std::string& host, int port, const std::string& request,
                        int timeoutMs, const std::function<bool(const std::string&)>& complete,
                        std::string& response) = 0;
};

// This platform's sockets; they are opened by the first multicast and closed
// when the object goes.
std::unique_ptr<DiscoverySockets> openDiscoverySockets();

}  // namespace quilbert::platform
