// The discovery's sockets on Winsock: one IPv4 and one IPv6 datagram socket,
// each sending on every adapter that takes multicast, and short TCP
// exchanges with a bound.
#include <winsock2.h>
#include <ws2tcpip.h>
// iphlpapi.h needs the types of winsock2.h first.
#include <iphlpapi.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <vector>

#include "platform/discovery.h"

namespace quilbert::platform {

namespace {

constexpr u_short kPort = 3702;
constexpr char kGroup4[] = "239.255.255.250";
constexpr char kGroup6[] = "ff02::c";
constexpr int kLargestDatagram = 65536;

class Socket {
 public:
  Socket() = default;
  explicit Socket(SOCKET s) : s_(s) {}
  ~Socket() {
    if (s_ != INVALID_SOCKET) ::closesocket(s_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  Socket& operator=(Socket&& o) noexcept {
    std::swap(s_, o.s_);
    return *this;
  }
  [[nodiscard]] SOCKET get() const { return s_; }
  [[nodiscard]] bool ok() const { return s_ != INVALID_SOCKET; }

 private:
  SOCKET s_ = INVALID_SOCKET;
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

// The adapters that are up and take multicast, loopback left out.
std::vector<unsigned char> adapters() {
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 3; ++attempt) {
    buffer.resize(size);
    const ULONG rc = ::GetAdaptersAddresses(
        AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    if (rc == NO_ERROR) return buffer;
    if (rc != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

class WinsockDiscoverySockets final : public DiscoverySockets {
 public:
  WinsockDiscoverySockets() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockDiscoverySockets() override {
    v4_ = Socket();
    v6_ = Socket();
    if (started_) ::WSACleanup();
  }
  WinsockDiscoverySockets(const WinsockDiscoverySockets&) = delete;
  WinsockDiscoverySockets& operator=(const WinsockDiscoverySockets&) = delete;

  std::int64_t nowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  bool multicast(const std::string& datagram) override {
    if (!started_) return false;
    open();
    std::vector<unsigned char> list = adapters();
    bool sent = false;
    std::set<ULONG> v6Done;
    for (auto* a = list.empty() ? nullptr : reinterpret_cast<IP_ADAPTER_ADDRESSES*>(list.data());
         a != nullptr; a = a->Next) {
      if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
          (a->Flags & IP_ADAPTER_NO_MULTICAST) != 0) {
        continue;
      }
      for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
        const sockaddr* address = u->Address.lpSockaddr;
        if (address->sa_family == AF_INET && v4_.ok()) {
          const in_addr local = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
          sockaddr_in to{};
          to.sin_family = AF_INET;
          to.sin_port = ::htons(kPort);
          ::inet_pton(AF_INET, kGroup4, &to.sin_addr);
          if (::setsockopt(v4_.get(), IPPROTO_IP, IP_MULTICAST_IF,
                           reinterpret_cast<const char*>(&local), sizeof local) == 0 &&
              ::sendto(v4_.get(), datagram.data(), static_cast<int>(datagram.size()), 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR) {
            sent = true;
          }
        } else if (address->sa_family == AF_INET6 && v6_.ok()) {
          const DWORD index = a->Ipv6IfIndex;
          if (index == 0 || !v6Done.insert(index).second) continue;
          sockaddr_in6 to{};
          to.sin6_family = AF_INET6;
          to.sin6_port = ::htons(kPort);
          to.sin6_scope_id = index;
          ::inet_pton(AF_INET6, kGroup6, &to.sin6_addr);
          if (::setsockopt(v6_.get(), IPPROTO_IPV6, IPV6_MULTICAST_IF,
                           reinterpret_cast<const char*>(&index), sizeof index) == 0 &&
              ::sendto(v6_.get(), datagram.data(), static_cast<int>(datagram.size()), 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR) {
            sent = true;
          }
        }
      }
    }
    return sent;
  }

  bool receive(int timeoutMs, std::string& datagram, std::string& from) override {
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
      fd_set readable;
      FD_ZERO(&readable);
      for (const Socket* s : {&v4_, &v6_}) {
        if (s->ok()) FD_SET(s->get(), &readable);
      }
      if (readable.fd_count == 0) return false;
      // Asked once even when no time is left: what is in already is read.
      const std::int64_t left = std::max<std::int64_t>(deadline - nowMs(), 0);
      timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
      if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
      for (const Socket* s : {&v4_, &v6_}) {
        if (!s->ok() || !FD_ISSET(s->get(), &readable)) continue;
        datagram.resize(kLargestDatagram);
        sockaddr_storage sender{};
        int size = sizeof sender;
        const int got = ::recvfrom(s->get(), datagram.data(), kLargestDatagram, 0,
                                   reinterpret_cast<sockaddr*>(&sender), &size);
        // A datagram refused somewhere (WSAECONNRESET) says nothing to us.
        if (got < 0) continue;
        datagram.resize(static_cast<std::size_t>(got));
        from = numeric(reinterpret_cast<const sockaddr*>(&sender));
        return true;
      }
      if (left == 0) return false;
    }
  }

  bool exchange(const std::string& host, int port, const std::string& request, int timeoutMs,
                const std::function<bool(const std::string&)>& complete,
                std::string& response) override {
    if (!started_) return false;
    const std::int64_t deadline = nowMs() + timeoutMs;
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
      return false;
    }
    Socket s(::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP));
    u_long nonBlocking = 1;
    const bool started =
        s.ok() && ::ioctlsocket(s.get(), FIONBIO, &nonBlocking) == 0 &&
        (::connect(s.get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 ||
         ::WSAGetLastError() == WSAEWOULDBLOCK);
    ::freeaddrinfo(found);
    if (!started || !wait(s.get(), true, deadline)) return false;
    int error = 0;
    int size = sizeof error;
    if (::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
        error != 0) {
      return false;
    }
    for (std::size_t sent = 0; sent < request.size();) {
      if (!wait(s.get(), true, deadline)) return false;
      const int n =
          ::send(s.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
      if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
    response.clear();
    char buffer[4096];
    while (!complete(response)) {
      if (!wait(s.get(), false, deadline)) return false;
      const int n = ::recv(s.get(), buffer, sizeof buffer, 0);
      if (n == 0) return true;  // closed: the answer ends here
      if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (n > 0) response.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }

 private:
  void open() {
    if (!v4_.ok()) {
      Socket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
      sockaddr_in any{};
      any.sin_family = AF_INET;
      if (s.ok() && ::bind(s.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) == 0) {
        v4_ = std::move(s);
      }
    }
    if (!v6_.ok()) {
      Socket s(::socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
      const DWORD only = 1;
      sockaddr_in6 any{};
      any.sin6_family = AF_INET6;
      if (s.ok() &&
          ::setsockopt(s.get(), IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only),
                       sizeof only) == 0 &&
          ::bind(s.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) == 0) {
        v6_ = std::move(s);
      }
    }
  }

  // Whether the socket can be written (or has connected) / read before the
  // deadline; a failed connection counts as ready, and SO_ERROR tells.
  bool wait(SOCKET s, bool write, std::int64_t deadline) {
    const std::int64_t left = deadline - nowMs();
    if (left <= 0) return false;
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    return ::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait) > 0;
  }

  bool started_ = false;
  Socket v4_;
  Socket v6_;
};

}  // namespace

std::unique_ptr<DiscoverySockets> openDiscoverySockets() {
  return std::make_unique<WinsockDiscoverySockets>();
}

}  // namespace quilbert::platform
