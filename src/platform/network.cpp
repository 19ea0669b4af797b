#include "platform/network.h"

namespace quilbert::platform {

std::uint32_t netResourceSize(const NetResource& r) {
  std::uint32_t size = 32;
  for (const auto* s : {&r.localName, &r.remoteName, &r.comment, &r.provider}) {
    if (s->has_value()) size += static_cast<std::uint32_t>((*s)->size() + 1);
  }
  return size;
}

int answerUserName(const std::string& name, std::string& buffer, std::uint32_t& length) {
  const auto need = static_cast<std::uint32_t>(name.size() + 1);
  if (length < need) {
    length = need;
    return neterr::kMoreData;
  }
  if (buffer.size() < need) buffer.resize(need);
  buffer.replace(0, need, name.c_str(), need);  // the name and its NUL
  return neterr::kOk;
}

}  // namespace quilbert::platform
