// What a program lends its network to find computers. Inline, so that the
// platform's sockets are linked by the program that asks, beside its
// platform library.
#pragma once

#include <cstdlib>
#include <string_view>

#include "net/computer_discovery.h"

namespace quilbert::net {

// One discovery on this platform's sockets at each call, or nothing when
// QUILBERT_DISCOVERY is "off" (the tests that cannot keep to a network
// namespace of their own set it, so that nothing goes out on the machine's
// interfaces).
inline platform::ComputerFinder computerFinder() {
  const char* setting = std::getenv("QUILBERT_DISCOVERY");
  if (setting != nullptr && std::string_view(setting) == "off") return {};
  return [] { return discoverComputers(*platform::openDiscoverySockets()); };
}

}  // namespace quilbert::net
