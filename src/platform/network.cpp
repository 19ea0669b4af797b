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

int nextBatch(std::size_t total, std::size_t& next, const std::function<bool(std::size_t)>& wanted,
              const std::function<NetResource(std::size_t)>& record, std::int32_t& count,
              std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  if (count == 0 || count < -1) return neterr::kInvalidParameter;
  auto skip = [&] {
    while (next < total && !wanted(next)) ++next;
  };
  out.clear();
  skip();
  if (next == total) {
    count = 0;
    return neterr::kNoMoreItems;
  }
  std::uint32_t used = 0;
  std::int32_t n = 0;
  while (next < total && (count == -1 || n < count)) {
    NetResource r = record(next);
    const std::uint32_t size = netResourceSize(r);
    if (size > bufferSize - used) {
      if (n > 0) break;
      // Not even one record fits: the caller asks again with this size.
      bufferSize = size;
      count = 0;
      return neterr::kMoreData;
    }
    used += size;
    out.push_back(std::move(r));
    ++n;
    ++next;
    skip();
  }
  count = n;
  return next < total ? neterr::kMoreData : neterr::kOk;
}

int nextBatch(const std::vector<NetResource>& records, std::size_t& next, std::int32_t& count,
              std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  return nextBatch(
      records.size(), next, [](std::size_t) { return true; },
      [&records](std::size_t i) { return records[i]; }, count, out, bufferSize);
}

}  // namespace quilbert::platform
