// Strict UTF-8, for every place where bytes from outside become text: no
// overlong form, no surrogate, nothing above U+10FFFF, no stray continuation
// byte. Header-only, so that every layer can use the one definition.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quilbert::utf8 {

// Decodes the character that starts at byte i and moves i past it; nullopt
// (i unchanged) when the bytes there are not one well-formed character.
inline std::optional<char32_t> decode(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  std::size_t extra = 0;
  char32_t cp = 0;
  char32_t least = 0;  // below this the same character had a shorter form
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1;
    cp = b0 & 0x1FU;
    least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2;
    cp = b0 & 0x0FU;
    least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3;
    cp = b0 & 0x07U;
    least = 0x10000;
  } else {
    return std::nullopt;  // a continuation byte, C0, C1 or F5 to FF
  }
  if (s.size() - i <= extra) return std::nullopt;
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0U) != 0x80U) return std::nullopt;
    cp = (cp << 6U) | (b & 0x3FU);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  i += extra + 1;
  return cp;
}

// The offset of the first byte that does not belong to a well-formed
// character, or npos when all of s is well-formed.
inline std::size_t firstInvalid(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (!decode(s, i)) return i;
  }
  return std::string_view::npos;
}

// The characters of s for which `refused` is true, each once, in order of
// appearance; a malformed byte counts as U+FFFD.
template <class Refused>
std::string refusedCharacters(std::string_view s, Refused refused) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    const auto cp = decode(s, i);
    if (!cp) ++i;
    const std::string_view c = cp ? s.substr(start, i - start) : std::string_view("\xEF\xBF\xBD");
    if (refused(c, cp.value_or(0xFFFD)) && out.find(c) == std::string::npos) out += c;
  }
  return out;
}

}  // namespace quilbert::utf8
