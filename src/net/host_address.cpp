#include "net/host_address.h"

#include <vector>

namespace quilbert::net {

namespace {

// "a.b.c.d", each part a decimal number under 256 without leading zeros
// (some resolvers read those as octal).
std::optional<std::array<std::uint8_t, 4>> parseV4(std::string_view text) {
  std::array<std::uint8_t, 4> out{};
  for (std::size_t part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view digits = text.substr(0, dot);
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) {
      return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 255) return std::nullopt;
    out[part] = static_cast<std::uint8_t>(value);
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return out;
}

// The 16-bit groups of one side of "::"; an IPv4 tail counts as two.
bool parseGroups(std::string_view text, std::vector<std::uint16_t>& groups) {
  while (!text.empty()) {
    const std::size_t colon = text.find(':');
    const std::string_view group = text.substr(0, colon);
    if (colon == std::string_view::npos && group.find('.') != std::string_view::npos) {
      const auto v4 = parseV4(group);
      if (!v4) return false;
      groups.push_back(static_cast<std::uint16_t>((*v4)[0] << 8 | (*v4)[1]));
      groups.push_back(static_cast<std::uint16_t>((*v4)[2] << 8 | (*v4)[3]));
      return true;
    }
    if (group.empty() || group.size() > 4 || groups.size() >= 8) return false;
    unsigned value = 0;
    for (const char c : group) {
      const int v = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (v < 0) return false;
      value = value * 16 + static_cast<unsigned>(v);
    }
    groups.push_back(static_cast<std::uint16_t>(value));
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
    if (text.empty()) return false;  // a trailing single colon
  }
  return true;
}

}  // namespace

std::optional<Address> parseAddress(std::string_view text) {
  text = text.substr(0, text.find('%'));
  Address out{};
  if (text.find(':') == std::string_view::npos) {
    const auto v4 = parseV4(text);
    if (!v4) return std::nullopt;
    out[10] = out[11] = 0xff;
    for (std::size_t i = 0; i < 4; ++i) out[12 + i] = (*v4)[i];
    return out;
  }
  std::vector<std::uint16_t> head;
  std::vector<std::uint16_t> tail;
  const std::size_t gap = text.find("::");
  if (gap == std::string_view::npos) {
    if (!parseGroups(text, head) || head.size() != 8) return std::nullopt;
  } else if (!parseGroups(text.substr(0, gap), head) || !parseGroups(text.substr(gap + 2), tail) ||
             head.size() + tail.size() > 7) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < head.size(); ++i) {
    out[2 * i] = static_cast<std::uint8_t>(head[i] >> 8);
    out[2 * i + 1] = static_cast<std::uint8_t>(head[i] & 0xff);
  }
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const std::size_t at = 16 - 2 * (tail.size() - i);
    out[at] = static_cast<std::uint8_t>(tail[i] >> 8);
    out[at + 1] = static_cast<std::uint8_t>(tail[i] & 0xff);
  }
  return out;
}

bool reachable(const Address& a) {
  bool mapped = a[10] == 0xff && a[11] == 0xff;
  bool zeroTop = true;
  for (std::size_t i = 0; i < 10; ++i) zeroTop = zeroTop && a[i] == 0;
  mapped = mapped && zeroTop;
  if (mapped) {
    const std::uint8_t first = a[12];
    const bool unspecified = first == 0;
    const bool broadcast = first == 255 && a[13] == 255 && a[14] == 255 && a[15] == 255;
    return first != 127 && (first & 0xf0) != 0xe0 && !unspecified && !broadcast;
  }
  const bool zeroRest =
      zeroTop && a[10] == 0 && a[11] == 0 && a[12] == 0 && a[13] == 0 && a[14] == 0;
  const bool loopbackOrUnspecified = zeroRest && a[15] <= 1;  // ::1 and ::
  return !loopbackOrUnspecified && a[0] != 0xff;
}

}  // namespace quilbert::net
