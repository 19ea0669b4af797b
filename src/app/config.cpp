#include "app/config.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/catalogue.h"
#include "app/line_reader.h"
#include "app/text.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace quilbert::app {

namespace {

constexpr const char* kDefaultMarker = "ide";
constexpr const char* kDefaultTheme = "windows";
constexpr const char* kDefaultLanguage = "langage_fr.txt";
constexpr const char* kDefaultResident = "nres";

std::string configPath(const Globals& g) {
  return g.SettingsDir + g.ConfigFileName;
}

// A fixed one-character field: the first character, or a blank.
std::string oneChar(std::string_view s) {
  return s.empty() ? std::string(" ") : firstChar(s);
}

// The first three characters, padded with blanks.
std::string threeChars(std::string_view s) {
  std::string out;
  std::size_t i = 0;
  int n = 0;
  while (n < 3 && i < s.size()) {
    std::string c = firstChar(s.substr(i));
    out += c;
    i += c.size();
    ++n;
  }
  out.append(static_cast<std::size_t>(3 - n), ' ');
  return out;
}

void setDefaults(Globals& g) {
  for (int k = 1; k <= kDriveCount; ++k) {
    auto& e = g.DriveTable[static_cast<std::size_t>(k)];
    e.Active = "0";
    e.Letter = std::string(1, static_cast<char>('A' + k - 1));
    g.ConfigLines[static_cast<std::size_t>(k)] = defaultDriveLine(k);
  }
  g.IniMarker = kDefaultMarker;
  g.IconTheme = kDefaultTheme;
  g.LanguageFile = kDefaultLanguage;
  g.ResidentMode = kDefaultResident;
}

}  // namespace

std::optional<std::string> ScramblePassword(std::string_view plain) {
  auto bytes = utf8ToCp1252(plain);
  if (!bytes) return std::nullopt;
  for (std::size_t i = 0; i < bytes->size(); ++i) {
    const auto code = static_cast<unsigned char>((*bytes)[i]);
    (*bytes)[i] = static_cast<char>(static_cast<unsigned char>(i % 2 == 0 ? code - 3 : code + 3));
  }
  return cp1252ToUtf8(*bytes);
}

std::string UnscramblePassword(std::string_view stored) {
  auto bytes = utf8ToCp1252(stored).value_or(std::string(stored));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto code = static_cast<unsigned char>(bytes[i]);
    bytes[i] = static_cast<char>(static_cast<unsigned char>(i % 2 == 0 ? code + 3 : code - 3));
  }
  return cp1252ToUtf8(bytes);
}

std::string defaultDriveLine(int k) {
  return std::string("0\t") + static_cast<char>('A' + k - 1) + "\t\t\t";
}

bool isActiveEntry(const DriveEntry& e) {
  return e.Active == "1" && !isBlank(e.Path);
}

void readConfiguration(Globals& g, bool createMissing) {
  const std::string path = configPath(g);
  g.ConfigUnreadable = false;
  LineReader probe(path);
  if (!probe.isOpen()) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(platform::pathFromUtf8(path), ec);
    g.ConfigCreated = true;
    setDefaults(g);
    if (exists) {
      g.ConfigUnreadable = true;
      platform::logLine(path +
                        " exists but cannot be read; it is left as it is and defaults are used");
      return;
    }
    if (!createMissing) return;
    std::array<std::string, 31> lines = settingsLines(g, g.ConfigLines);
    const auto out = WriteConfiguration(g, lines);
    if (!out.ok()) platform::logLine(out.detail);
  }
  LineReader in(path);
  int count = 0;
  // Lines after the 30th are ignored; counting stops there.
  while (count < kConfigLineCount) {
    auto line = in.next();
    if (!line) break;
    ++count;
    if (!isBlank(*line)) g.ConfigLines[static_cast<std::size_t>(count)] = cp1252ToUtf8(*line);
  }
  const auto& L = g.ConfigLines;
  g.IniMarker = threeChars(L[27]);
  g.IconTheme = L[28].empty() ? kDefaultTheme : L[28];
  g.LanguageFile = L[29].empty() ? kDefaultLanguage : L[29];
  g.ResidentMode = L[30].empty() ? kDefaultResident : L[30];
  if (count < kDriveCount) {
    for (int k = count + 1; k <= kDriveCount; ++k) {
      g.ConfigLines[static_cast<std::size_t>(k)] = defaultDriveLine(k);
    }
    g.IniMarker = kDefaultMarker;
  }
}

void takeApartDriveLines(Globals& g) {
  for (int k = 1; k <= kDriveCount; ++k) {
    const std::string& line = g.ConfigLines[static_cast<std::size_t>(k)];
    std::array<std::string_view, 5> field{};
    std::size_t start = 0;
    int n = 0;
    for (; n < 4; ++n) {
      const std::size_t tab = line.find('\t', start);
      if (tab == std::string::npos) break;
      field[static_cast<std::size_t>(n)] = std::string_view(line).substr(start, tab - start);
      start = tab + 1;
    }
    // The field after the last tab found runs to the end of the line; with all
    // four tabs present that is the path, which may itself hold tabs.
    field[static_cast<std::size_t>(n)] = std::string_view(line).substr(start);
    auto& e = g.DriveTable[static_cast<std::size_t>(k)];
    e.Active = oneChar(field[0]);
    e.Letter = oneChar(field[1]);
    e.Login = std::string(field[2]);
    e.Password = UnscramblePassword(field[3]);
    e.Path = std::string(field[4]);
  }
}

namespace {

// A character as a message names it: itself, or its code when it is invisible.
std::string named(std::string_view utf8Char) {
  std::size_t i = 0;
  const auto cp = utf8::decode(utf8Char, i);
  if (!cp || *cp < 0x20 || *cp == 0x7F || (*cp >= 0x80 && *cp < 0xA0)) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", cp ? static_cast<unsigned>(*cp) : 0xFFFDU);
    return code;
  }
  return "\"" + std::string(utf8Char) + "\"";
}

// The first character of s that the file cannot hold as it stands (a line
// break, a tab where tabs separate, one without a Windows-1252 code), named,
// or "" when there is none.
std::string unstorable(std::string_view s, bool tabAllowed) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    const std::string c = firstChar(s.substr(i));
    i += std::max<std::size_t>(1, c.size());
    if (c == "\r" || c == "\n") return named(c) + " (line break)";
    if (c == "\t" && !tabAllowed) return named(c) + " (tab)";
    if (!utf8ToCp1252(s.substr(start, i - start))) return named(c) + " (no Windows-1252 code)";
  }
  return {};
}

}  // namespace

std::optional<StoreProblem> storeProblem(std::string_view text, DriveField field) {
  const bool secret = field == DriveField::Password;
  std::size_t position = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::string c = firstChar(text.substr(i));
    i += std::max<std::size_t>(1, c.size());
    ++position;
    int reason = 0;
    if (c == "\r" || c == "\n") {
      reason = kMsgReasonLineBreak;
    } else if (c == "\t" && field == DriveField::Login) {
      reason = kMsgReasonTab;
    } else if (const auto code = utf8ToCp1252(text.substr(start, i - start)); !code) {
      reason = kMsgReasonNoCode;
    } else if (secret) {
      // Scrambling moves codes by three: a few control characters would be
      // stored as a tab or a line break, which the line cannot hold.
      const auto b = static_cast<unsigned char>((*code)[0]);
      const auto stored = static_cast<unsigned char>(position % 2 == 1 ? b - 3 : b + 3);
      if (stored == '\t' || stored == '\r' || stored == '\n') reason = kMsgReasonScrambled;
    }
    // A password's characters are never shown, not even the offending one.
    if (reason != 0) return StoreProblem{position, secret ? std::string() : named(c), reason};
  }
  return std::nullopt;
}

std::array<std::string, 31> settingsLines(const Globals& g,
                                          const std::array<std::string, 31>& driveLines) {
  std::array<std::string, 31> lines = driveLines;
  lines[27] = threeChars(g.IniMarker);
  lines[28] = g.IconTheme;
  lines[29] = g.LanguageFile;
  lines[30] = g.ResidentMode;
  return lines;
}

WriteOutcome WriteConfiguration(Globals& g, const std::array<std::string, 31>& lines) {
  if (g.ConfigUnreadable) return {kMsgConfigUnreadable, configPath(g)};
  std::string bytes;
  for (int k = 1; k <= kConfigLineCount; ++k) {
    const std::string& line = lines[static_cast<std::size_t>(k)];
    // Any byte but a line break is kept as it stands, NUL included: a
    // scrambled password may hold one, and what was read is written back.
    auto encoded = utf8ToCp1252(line);
    if (auto c = unstorable(line, true); !c.empty() || !encoded) {
      return {kMsgValueNotStorable, "line " + std::to_string(k) + ": " + c};
    }
    bytes += *encoded;
    bytes += "\r\n";
  }
  const std::string error = g.svc.process.replaceFile(configPath(g), bytes, true);
  if (!error.empty()) return {kMsgConfigWriteFailed, error};
  return {};
}

}  // namespace quilbert::app
