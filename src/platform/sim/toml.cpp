#include "platform/sim/toml.h"

#include <algorithm>
#include <cstdio>

#include "platform/utf8.h"

namespace quilbert::sim {

namespace {

int lineAt(std::string_view text, std::size_t offset) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// The library quotes what it saw, line breaks and control bytes included;
// the message stays on one line.
std::string oneLine(std::string_view what) {
  std::string out;
  for (char c : what) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

toml::table parseToml(std::string_view text, std::string_view source) {
  if (const auto bad = utf8::firstInvalid(text); bad != std::string_view::npos) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(text[bad]));
    throw TomlError{lineAt(text, bad), std::string("invalid UTF-8 (byte ") + byte + ")"};
  }
  try {
    return toml::parse(text, source);
  } catch (const toml::parse_error& e) {
    throw TomlError{static_cast<int>(e.source().begin.line), oneLine(e.description())};
  }
}

}  // namespace quilbert::sim
