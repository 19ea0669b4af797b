#include "platform/network.h"

namespace quilbert::platform {

std::uint32_t netResourceSize(const NetResource& r) {
  std::uint32_t size = 32;
  for (const auto* s : {&r.localName, &r.remoteName, &r.comment, &r.provider}) {
    if (s->has_value()) size += static_cast<std::uint32_t>((*s)->size() + 1);
  }
  return size;
}

}  // namespace quilbert::platform
