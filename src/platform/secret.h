// Passwords held only for a moment are wiped when they go, so that they do not
// linger in freed memory for the rest of a resident session.
#pragma once

#include <string>

namespace quilbert::platform {

inline void wipe(std::string& secret) {
  // Through a volatile pointer, so that the stores are not left out as dead.
  volatile char* p = secret.data();
  for (std::size_t i = 0; i < secret.size(); ++i) p[i] = '\0';
  secret.clear();
}

}  // namespace quilbert::platform
