// What the two socket implementations share: a datagram sender's address as
// text, and its IPv6 scope, read the same way from BSD sockets and from
// Winsock. Each includes its own system headers before this one, so that the
// same lines compile against either.
#pragma once

#include <cstdint>
#include <string>

namespace quilbert::platform::sockets {

inline void describeSender(const sockaddr_storage& sender, std::string& host,
                           std::uint32_t& scope) {
  char text[INET6_ADDRSTRLEN] = {};
  const auto* a4 = reinterpret_cast<const sockaddr_in*>(&sender);
  const auto* a6 = reinterpret_cast<const sockaddr_in6*>(&sender);
  const bool v4 = sender.ss_family == AF_INET;
  ::inet_ntop(v4 ? AF_INET : AF_INET6,
              v4 ? static_cast<const void*>(&a4->sin_addr) : &a6->sin6_addr, text, sizeof text);
  host = text;
  scope = v4 ? 0 : a6->sin6_scope_id;
}

}  // namespace quilbert::platform::sockets
