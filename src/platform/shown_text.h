// Texts that other hosts give (names, workgroups, comments) as the windows
// and the terminal show them. Header-only, so that every view uses the one
// definition.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace quilbert::platform {

// The longest such text shown, in characters.
inline constexpr std::size_t kMostShownChars = 255;

// `fromNetwork` without control characters (C0, DEL, C1) nor bidirectional
// overrides, which would rewrite a terminal or disguise a name, its
// malformed UTF-8 shown as U+FFFD, cut at kMostShownChars characters.
inline std::string shownText(std::string_view fromNetwork) {
  std::string out;
  std::size_t kept = 0;
  std::size_t i = 0;
  while (i < fromNetwork.size() && kept < kMostShownChars) {
    const std::size_t start = i;
    const auto cp = utf8::decode(fromNetwork, i);
    if (!cp) {
      ++i;
      out += "\xEF\xBF\xBD";
      ++kept;
      continue;
    }
    const bool control = *cp < 0x20 || (*cp >= 0x7f && *cp <= 0x9f);
    const bool bidi = (*cp >= 0x202a && *cp <= 0x202e) || (*cp >= 0x2066 && *cp <= 0x2069);
    if (control || bidi) continue;
    out.append(fromNetwork.substr(start, i - start));
    ++kept;
  }
  return out;
}

}  // namespace quilbert::platform
