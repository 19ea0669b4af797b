// What every registry answers once it has found a value.
#include "platform/registry.h"

namespace quilbert::platform {

int answerValue(std::uint32_t storedType, const std::string& value, std::uint32_t* type,
                std::string* data, std::uint32_t& size) {
  if (type != nullptr) *type = storedType;
  const auto needed = static_cast<std::uint32_t>(value.size());
  if (data == nullptr) {
    size = needed;
    return regerr::kOk;
  }
  if (size < needed) {
    size = needed;
    return regerr::kMoreData;
  }
  // Like the caller's buffer on Windows: the value fills its start.
  if (data->size() < needed) data->resize(needed);
  data->replace(0, needed, value);
  size = needed;
  return regerr::kOk;
}

}  // namespace quilbert::platform
