// The discovery's socket calls on BSD sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/discovery_sockets.h"
#include "platform/sockets/sender_address.h"

namespace quilbert::platform {

namespace {

using sockets::Family;
using sockets::kNoSocket;
using sockets::Ready;
using sockets::SocketId;

int fd(SocketId s) {
  return static_cast<int>(s);
}

class BsdCalls final : public sockets::SocketCalls {
 public:
  SocketId openDatagram(Family family) override {
    const bool v4 = family == Family::v4;
    const int s = ::socket(v4 ? AF_INET : AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in any4{};
    any4.sin_family = AF_INET;
    sockaddr_in6 any6{};
    any6.sin6_family = AF_INET6;
    const int only = 1;
    const bool bound =
        s >= 0 && (v4 ? ::bind(s, reinterpret_cast<sockaddr*>(&any4), sizeof any4) == 0
                      : (::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only) == 0 &&
                         ::bind(s, reinterpret_cast<sockaddr*>(&any6), sizeof any6) == 0));
    if (!bound && s >= 0) ::close(s);
    return bound ? s : kNoSocket;
  }

  SocketId connectStream(const std::string& host, int port) override {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
      return kNoSocket;
    }
    const int s = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool started =
        s >= 0 && (::connect(s, found->ai_addr, found->ai_addrlen) == 0 || errno == EINPROGRESS);
    ::freeaddrinfo(found);
    if (!started && s >= 0) ::close(s);
    return started ? s : kNoSocket;
  }

  void close(SocketId s) override { ::close(fd(s)); }

  bool connected(SocketId s) override {
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd(s), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }

  std::vector<sockets::Interface> interfaces() override {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return {};
    std::vector<sockets::Interface> found;
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
      if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0 ||
          (i->ifa_flags & IFF_MULTICAST) == 0 || (i->ifa_flags & IFF_LOOPBACK) != 0) {
        continue;
      }
      if (i->ifa_addr->sa_family == AF_INET) {
        found.push_back(
            {Family::v4, reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr, 0});
      } else if (i->ifa_addr->sa_family == AF_INET6) {
        found.push_back({Family::v6, 0, ::if_nametoindex(i->ifa_name)});
      }
    }
    ::freeifaddrs(list);
    return found;
  }

  bool sendToGroup(SocketId s, const sockets::Interface& on, const std::string& datagram) override {
    if (on.family == Family::v4) {
      in_addr local{};
      local.s_addr = on.address;
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_port = htons(sockets::kPort);
      ::inet_pton(AF_INET, sockets::kGroup4, &to.sin_addr);
      return ::setsockopt(fd(s), IPPROTO_IP, IP_MULTICAST_IF, &local, sizeof local) == 0 &&
             ::sendto(fd(s), datagram.data(), datagram.size(), 0,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0;
    }
    const unsigned index = on.index;
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    to.sin6_port = htons(sockets::kPort);
    to.sin6_scope_id = index;
    ::inet_pton(AF_INET6, sockets::kGroup6, &to.sin6_addr);
    return ::setsockopt(fd(s), IPPROTO_IPV6, IPV6_MULTICAST_IF, &index, sizeof index) == 0 &&
           ::sendto(fd(s), datagram.data(), datagram.size(), 0,
                    reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0;
  }

  Ready wait(const SocketId* sockets, int count, bool write, std::int64_t ms,
             bool* ready) override {
    pollfd fds[2] = {};
    for (int i = 0; i < count; ++i) {
      fds[i] = {fd(sockets[i]), static_cast<short>(write ? POLLOUT : POLLIN), 0};
    }
    const int n = ::poll(fds, static_cast<nfds_t>(count), static_cast<int>(ms));
    if (n < 0 && errno == EINTR) return Ready::interrupted;
    if (n <= 0) return Ready::no;
    for (int i = 0; i < count; ++i) ready[i] = fds[i].fd >= 0 && (fds[i].revents & fds[i].events);
    return Ready::yes;
  }

  long receiveFrom(SocketId s, char* buffer, std::size_t size, std::string& host,
                   std::uint32_t& scope) override {
    sockaddr_storage sender{};
    socklen_t length = sizeof sender;
    const ssize_t got =
        ::recvfrom(fd(s), buffer, size, 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (got < 0) return -1;
    sockets::describeSender(sender, host, scope);
    return got;
  }

  long send(SocketId s, const char* data, std::size_t size) override {
    return answer(::send(fd(s), data, size, MSG_NOSIGNAL));
  }

  long receive(SocketId s, char* buffer, std::size_t size) override {
    return answer(::recv(fd(s), buffer, size, 0));
  }

 private:
  static long answer(ssize_t n) {
    if (n >= 0) return n;
    return errno == EAGAIN || errno == EINTR ? sockets::kAgain : sockets::kFailed;
  }
};

}  // namespace

std::unique_ptr<DiscoverySockets> openDiscoverySockets() {
  return sockets::discoverySockets(std::make_unique<BsdCalls>());
}

}  // namespace quilbert::platform
