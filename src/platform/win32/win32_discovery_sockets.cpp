// The discovery's socket calls on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>
// iphlpapi.h needs the types of winsock2.h first.
#include <iphlpapi.h>

#include "platform/discovery_sockets.h"
#include "platform/sockets/sender_address.h"

namespace quilbert::platform {

namespace {

using sockets::Family;
using sockets::kNoSocket;
using sockets::Ready;
using sockets::SocketId;

SOCKET sock(SocketId s) {
  return static_cast<SOCKET>(s);
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

class WinsockCalls final : public sockets::SocketCalls {
 public:
  WinsockCalls() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockCalls() override {
    if (started_) ::WSACleanup();
  }
  WinsockCalls(const WinsockCalls&) = delete;
  WinsockCalls& operator=(const WinsockCalls&) = delete;

  bool usable() override { return started_; }

  SocketId openDatagram(Family family) override {
    const bool v4 = family == Family::v4;
    const SOCKET s = ::socket(v4 ? AF_INET : AF_INET6, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in any4{};
    any4.sin_family = AF_INET;
    sockaddr_in6 any6{};
    any6.sin6_family = AF_INET6;
    const DWORD only = 1;
    const bool bound =
        s != INVALID_SOCKET &&
        (v4 ? ::bind(s, reinterpret_cast<sockaddr*>(&any4), sizeof any4) == 0
            : (::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only),
                            sizeof only) == 0 &&
               ::bind(s, reinterpret_cast<sockaddr*>(&any6), sizeof any6) == 0));
    if (!bound && s != INVALID_SOCKET) ::closesocket(s);
    return bound ? static_cast<SocketId>(s) : kNoSocket;
  }

  SocketId connectStream(const std::string& host, int port) override {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
      return kNoSocket;
    }
    const SOCKET s = ::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    const bool started = s != INVALID_SOCKET && ::ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
                         (::connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 ||
                          ::WSAGetLastError() == WSAEWOULDBLOCK);
    ::freeaddrinfo(found);
    if (!started && s != INVALID_SOCKET) ::closesocket(s);
    return started ? static_cast<SocketId>(s) : kNoSocket;
  }

  void close(SocketId s) override { ::closesocket(sock(s)); }

  bool connected(SocketId s) override {
    int error = 0;
    int size = sizeof error;
    return ::getsockopt(sock(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) ==
               0 &&
           error == 0;
  }

  std::vector<sockets::Interface> interfaces() override {
    std::vector<unsigned char> list = adapters();
    std::vector<sockets::Interface> found;
    for (auto* a = list.empty() ? nullptr : reinterpret_cast<IP_ADAPTER_ADDRESSES*>(list.data());
         a != nullptr; a = a->Next) {
      if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
          (a->Flags & IP_ADAPTER_NO_MULTICAST) != 0) {
        continue;
      }
      for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
        const sockaddr* address = u->Address.lpSockaddr;
        if (address->sa_family == AF_INET) {
          found.push_back(
              {Family::v4, reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr, 0});
        } else if (address->sa_family == AF_INET6) {
          found.push_back({Family::v6, 0, a->Ipv6IfIndex});
        }
      }
    }
    return found;
  }

  bool sendToGroup(SocketId s, const sockets::Interface& on, const std::string& datagram) override {
    if (on.family == Family::v4) {
      in_addr local{};
      local.s_addr = on.address;
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_port = ::htons(sockets::kPort);
      ::inet_pton(AF_INET, sockets::kGroup4, &to.sin_addr);
      return ::setsockopt(sock(s), IPPROTO_IP, IP_MULTICAST_IF,
                          reinterpret_cast<const char*>(&local), sizeof local) == 0 &&
             ::sendto(sock(s), datagram.data(), static_cast<int>(datagram.size()), 0,
                      reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR;
    }
    const DWORD index = on.index;
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    to.sin6_port = ::htons(sockets::kPort);
    to.sin6_scope_id = index;
    ::inet_pton(AF_INET6, sockets::kGroup6, &to.sin6_addr);
    return ::setsockopt(sock(s), IPPROTO_IPV6, IPV6_MULTICAST_IF,
                        reinterpret_cast<const char*>(&index), sizeof index) == 0 &&
           ::sendto(sock(s), datagram.data(), static_cast<int>(datagram.size()), 0,
                    reinterpret_cast<const sockaddr*>(&to), sizeof to) != SOCKET_ERROR;
  }

  // A failed connection counts as ready: connected() tells.
  Ready wait(const SocketId* sockets, int count, bool write, std::int64_t ms,
             bool* ready) override {
    fd_set chosen;
    fd_set failed;
    FD_ZERO(&chosen);
    FD_ZERO(&failed);
    for (int i = 0; i < count; ++i) {
      if (sockets[i] == kNoSocket) continue;
      FD_SET(sock(sockets[i]), &chosen);
      FD_SET(sock(sockets[i]), &failed);
    }
    if (chosen.fd_count == 0) return Ready::no;
    timeval wait{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    if (::select(0, write ? nullptr : &chosen, write ? &chosen : nullptr, &failed, &wait) <= 0) {
      return Ready::no;
    }
    for (int i = 0; i < count; ++i) {
      ready[i] = sockets[i] != kNoSocket && FD_ISSET(sock(sockets[i]), &chosen);
    }
    return Ready::yes;
  }

  long receiveFrom(SocketId s, char* buffer, std::size_t size, std::string& host,
                   std::uint32_t& scope) override {
    sockaddr_storage sender{};
    int length = sizeof sender;
    const int got = ::recvfrom(sock(s), buffer, static_cast<int>(size), 0,
                               reinterpret_cast<sockaddr*>(&sender), &length);
    // WSAECONNRESET: a datagram of ours was refused somewhere.
    if (got < 0) return -1;
    sockets::describeSender(sender, host, scope);
    return got;
  }

  long send(SocketId s, const char* data, std::size_t size) override {
    return answer(::send(sock(s), data, static_cast<int>(size), 0));
  }

  long receive(SocketId s, char* buffer, std::size_t size) override {
    return answer(::recv(sock(s), buffer, static_cast<int>(size), 0));
  }

 private:
  static long answer(int n) {
    if (n != SOCKET_ERROR) return n;
    return ::WSAGetLastError() == WSAEWOULDBLOCK ? sockets::kAgain : sockets::kFailed;
  }

  bool started_ = false;
};

}  // namespace

std::unique_ptr<DiscoverySockets> openDiscoverySockets() {
  return sockets::discoverySockets(std::make_unique<WinsockCalls>());
}

}  // namespace quilbert::platform
