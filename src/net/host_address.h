// Numeric addresses as a datagram's sender and a device's address list
// write them, read without the system's resolver, so that the discovery can
// tell whether a device names the host it answered from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quilbert::net {

// An IPv6 address, IPv4 ones mapped into it (::ffff:a.b.c.d).
using Address = std::array<std::uint8_t, 16>;

// "a.b.c.d" or an IPv6 address in any of its spellings, a "%zone" after it
// ignored; nullopt for anything else (a name included).
std::optional<Address> parseAddress(std::string_view text);

// Whether a device may be asked at `a`: neither loopback, multicast,
// unspecified nor broadcast, whoever answers.
bool reachable(const Address& a);

}  // namespace quilbert::net
