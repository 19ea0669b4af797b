// The discovery's sockets written once over the few calls each platform's
// sockets (BSD, Winsock) supply, so that sending, receiving and the TCP
// exchange behave the same on both. No socket header is included here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/discovery.h"

namespace quilbert::platform::sockets {

// A socket as the platform numbers it (a descriptor, a SOCKET); none is -1,
// as INVALID_SOCKET is.
using SocketId = std::intptr_t;
inline constexpr SocketId kNoSocket = -1;

inline constexpr int kPort = 3702;
inline constexpr char kGroup4[] = "239.255.255.250";
inline constexpr char kGroup6[] = "ff02::c";

enum class Family { v4, v6 };
// An interface a multicast goes out on: an IPv4 one by its address (the
// bytes of an in_addr), an IPv6 one by its index.
struct Interface {
  Family family = Family::v4;
  std::uint32_t address = 0;
  std::uint32_t index = 0;
};
enum class Ready { yes, no, interrupted };
// What send and receive answer instead of a count of bytes.
inline constexpr long kAgain = -1;  // it would block, or was interrupted
inline constexpr long kFailed = -2;

class SocketCalls {
 public:
  virtual ~SocketCalls() = default;
  // Whether the platform's sockets can be used at all.
  virtual bool usable() { return true; }
  // A datagram socket bound to any address, IPv6 only for v6; kNoSocket on
  // failure.
  virtual SocketId openDatagram(Family family) = 0;
  // A TCP socket that does not block, connecting to `host` (numeric) and
  // `port`; kNoSocket when the connection could not even start.
  virtual SocketId connectStream(const std::string& host, int port) = 0;
  virtual void close(SocketId socket) = 0;
  // Whether the connection connectStream started was made.
  virtual bool connected(SocketId socket) = 0;
  // The addresses of the interfaces that are up and take multicast,
  // loopback left out.
  virtual std::vector<Interface> interfaces() = 0;
  // Sends `datagram` to the group of `on.family`, port kPort, through `on`.
  virtual bool sendToGroup(SocketId socket, const Interface& on, const std::string& datagram) = 0;
  // Waits at most `ms` until one of the `count` sockets (kNoSocket ones left
  // out) can be read, or written (and has connected or failed to) when
  // `write`; `ready[i]` says which can. Ready::no on time out or failure.
  virtual Ready wait(const SocketId* sockets, int count, bool write, std::int64_t ms,
                     bool* ready) = 0;
  // One datagram into `buffer`, its size or a negative number; the sender's
  // numeric host and, for IPv6, the interface it came in on (else 0).
  virtual long receiveFrom(SocketId socket, char* buffer, std::size_t size, std::string& host,
                           std::uint32_t& scope) = 0;
  // Bytes sent or received, 0 when the peer closed (receive), kAgain, kFailed.
  virtual long send(SocketId socket, const char* data, std::size_t size) = 0;
  virtual long receive(SocketId socket, char* buffer, std::size_t size) = 0;
};

// The discovery's sockets over `calls`: one IPv4 and one IPv6 datagram
// socket, opened by the first multicast and closed when the object goes.
std::unique_ptr<DiscoverySockets> discoverySockets(std::unique_ptr<SocketCalls> calls);

}  // namespace quilbert::platform::sockets
