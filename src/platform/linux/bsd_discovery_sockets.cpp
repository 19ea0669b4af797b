// The discovery's sockets on BSD sockets: one IPv4 and one IPv6 datagram
// socket, each sending on every interface that takes multicast, and short
// TCP exchanges with a bound.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>

#include "platform/discovery.h"

namespace quilbert::platform {

namespace {

constexpr int kPort = 3702;
constexpr char kGroup4[] = "239.255.255.250";
constexpr char kGroup6[] = "ff02::c";
constexpr std::size_t kLargestDatagram = 65536;

class Socket {
 public:
  Socket() = default;
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  Socket& operator=(Socket&& o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  [[nodiscard]] int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

std::string numeric(const sockaddr* a) {
  char host[INET6_ADDRSTRLEN] = {};
  if (a->sa_family == AF_INET) {
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, host, sizeof host);
    return host;
  }
  const auto* a6 = reinterpret_cast<const sockaddr_in6*>(a);
  ::inet_ntop(AF_INET6, &a6->sin6_addr, host, sizeof host);
  std::string out = host;
  if (a6->sin6_scope_id != 0) out += "%" + std::to_string(a6->sin6_scope_id);
  return out;
}

class BsdDiscoverySockets final : public DiscoverySockets {
 public:
  std::int64_t nowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  bool multicast(const std::string& datagram) override {
    open();
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return false;
    bool sent = false;
    std::set<unsigned> v6Done;
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
      if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0 ||
          (i->ifa_flags & IFF_MULTICAST) == 0 || (i->ifa_flags & IFF_LOOPBACK) != 0) {
        continue;
      }
      if (i->ifa_addr->sa_family == AF_INET && v4_.fd() >= 0) {
        const in_addr local = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kPort);
        ::inet_pton(AF_INET, kGroup4, &to.sin_addr);
        if (::setsockopt(v4_.fd(), IPPROTO_IP, IP_MULTICAST_IF, &local, sizeof local) == 0 &&
            ::sendto(v4_.fd(), datagram.data(), datagram.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0) {
          sent = true;
        }
      } else if (i->ifa_addr->sa_family == AF_INET6 && v6_.fd() >= 0) {
        const unsigned index = ::if_nametoindex(i->ifa_name);
        if (index == 0 || !v6Done.insert(index).second) continue;
        sockaddr_in6 to{};
        to.sin6_family = AF_INET6;
        to.sin6_port = htons(kPort);
        to.sin6_scope_id = index;
        ::inet_pton(AF_INET6, kGroup6, &to.sin6_addr);
        if (::setsockopt(v6_.fd(), IPPROTO_IPV6, IPV6_MULTICAST_IF, &index, sizeof index) == 0 &&
            ::sendto(v6_.fd(), datagram.data(), datagram.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0) {
          sent = true;
        }
      }
    }
    ::freeifaddrs(list);
    return sent;
  }

  bool receive(int timeoutMs, std::string& datagram, std::string& from) override {
    pollfd fds[2] = {{v4_.fd(), POLLIN, 0}, {v6_.fd(), POLLIN, 0}};
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
      // Polled once even when no time is left: what is in already is read.
      const std::int64_t left = std::max<std::int64_t>(deadline - nowMs(), 0);
      const int n = ::poll(fds, 2, static_cast<int>(left));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      for (const pollfd& p : fds) {
        if (p.fd < 0 || (p.revents & POLLIN) == 0) continue;
        datagram.resize(kLargestDatagram);
        sockaddr_storage sender{};
        socklen_t size = sizeof sender;
        const ssize_t got = ::recvfrom(p.fd, datagram.data(), datagram.size(), 0,
                                       reinterpret_cast<sockaddr*>(&sender), &size);
        if (got < 0) continue;
        datagram.resize(static_cast<std::size_t>(got));
        from = numeric(reinterpret_cast<const sockaddr*>(&sender));
        return true;
      }
    }
  }

  bool exchange(const std::string& host, int port, const std::string& request, int timeoutMs,
                const std::function<bool(const std::string&)>& complete,
                std::string& response) override {
    const std::int64_t deadline = nowMs() + timeoutMs;
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
      return false;
    }
    Socket s(::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const bool started =
        s.fd() >= 0 &&
        (::connect(s.fd(), found->ai_addr, found->ai_addrlen) == 0 || errno == EINPROGRESS);
    ::freeaddrinfo(found);
    if (!started || !wait(s.fd(), POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
    for (std::size_t sent = 0; sent < request.size();) {
      if (!wait(s.fd(), POLLOUT, deadline)) return false;
      const ssize_t n = ::send(s.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
    response.clear();
    char buffer[4096];
    while (!complete(response)) {
      if (!wait(s.fd(), POLLIN, deadline)) return false;
      const ssize_t n = ::recv(s.fd(), buffer, sizeof buffer, 0);
      if (n == 0) return true;  // closed: the answer ends here
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (n > 0) response.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }

 private:
  void open() {
    if (v4_.fd() < 0) {
      Socket s(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
      sockaddr_in any{};
      any.sin_family = AF_INET;
      if (s.fd() >= 0 && ::bind(s.fd(), reinterpret_cast<sockaddr*>(&any), sizeof any) == 0) {
        v4_ = std::move(s);
      }
    }
    if (v6_.fd() < 0) {
      Socket s(::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0));
      const int only = 1;
      sockaddr_in6 any{};
      any.sin6_family = AF_INET6;
      if (s.fd() >= 0 && ::setsockopt(s.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only) == 0 &&
          ::bind(s.fd(), reinterpret_cast<sockaddr*>(&any), sizeof any) == 0) {
        v6_ = std::move(s);
      }
    }
  }

  bool wait(int fd, short event, std::int64_t deadline) {
    for (;;) {
      const std::int64_t left = deadline - nowMs();
      if (left <= 0) return false;
      pollfd p{fd, event, 0};
      const int n = ::poll(&p, 1, static_cast<int>(left));
      if (n < 0 && errno == EINTR) continue;
      return n > 0;
    }
  }

  Socket v4_;
  Socket v6_;
};

}  // namespace

std::unique_ptr<DiscoverySockets> openDiscoverySockets() {
  return std::make_unique<BsdDiscoverySockets>();
}

}  // namespace quilbert::platform
