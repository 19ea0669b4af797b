// ASCII case helpers: Windows compares server, share, user and provider names
// without regard to case.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace quilbert::sim {

inline bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string upperCopy(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), upper);
  return out;
}

inline std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return out;
}

// The drive letter of a local name "X:" (any case), as upper case; 0 if it is none.
inline char driveLetter(std::string_view localName) {
  if (localName.size() != 2 || localName[1] != ':' || !isLetter(localName[0])) return 0;
  return upper(localName[0]);
}

}  // namespace quilbert::sim
