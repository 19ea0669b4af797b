#include "app/text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/utf8.h"

namespace quilbert::app {

namespace {

// Code points of bytes 0x80-0x9F; the undefined ones keep their own value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 character at i; nullopt when malformed (strictly: an
// overlong line feed must never slip past the checks for line breaks).
std::optional<char32_t> decode(std::string_view s, std::size_t& i) {
  return utf8::decode(s, i);
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      appendUtf8(out, kHigh[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto cp = decode(utf8, i);
    if (!cp) return std::nullopt;
    if (*cp < 0x80 || (*cp >= 0xA0 && *cp <= 0xFF)) {
      out += static_cast<char>(*cp);
      continue;
    }
    bool found = false;
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
      if (kHigh[k] == *cp) {
        out += static_cast<char>(0x80 + k);
        found = true;
        break;
      }
    }
    if (!found) return std::nullopt;
  }
  return out;
}

std::optional<std::string> utf16leToUtf8(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8U));
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 3 >= bytes.size()) return std::nullopt;
      const char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10U) + (low - 0xDC00);
      i += 2;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string trimSpaces(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

bool isBlank(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

std::string lowerCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    auto cp = decode(utf8, i);
    if (!cp) {  // keep malformed bytes as they are
      out += utf8[start];
      i = start + 1;
      continue;
    }
    char32_t c = *cp;
    if (c >= 'A' && c <= 'Z') {
      c += 32;
    } else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
      c += 32;
    } else if (c == 0x160 || c == 0x152 || c == 0x17D) {
      c += 1;
    } else if (c == 0x178) {
      c = 0xFF;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string firstChar(std::string_view s) {
  if (s.empty()) return {};
  std::size_t i = 0;
  if (!decode(s, i)) return std::string(1, s[0]);
  return std::string(s.substr(0, i));
}

std::string mid(std::string_view s, std::size_t start1, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t n = 1; n < start1 && i < s.size(); ++n)
    i += std::max<std::size_t>(1, firstChar(s.substr(i)).size());
  std::size_t j = i;
  for (std::size_t n = 0; n < count && j < s.size(); ++n)
    j += std::max<std::size_t>(1, firstChar(s.substr(j)).size());
  return std::string(s.substr(std::min(i, s.size()), j - std::min(i, s.size())));
}

std::size_t charCount(std::string_view s) {
  std::size_t n = 0;
  for (char ch : s) {
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace quilbert::app
