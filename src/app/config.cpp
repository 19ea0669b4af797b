#include "app/config.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/catalogue.h"
#include "app/line_reader.h"
#include "app/text.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/secret.h"
#include "platform/utf8.h"

namespace quilbert::app {

namespace {

constexpr const char* kDefaultMarker = "ide";
constexpr const char* kDefaultTheme = "windows";
constexpr const char* kDefaultLanguage = "langage_fr.txt";
constexpr const char* kDefaultResident = kResidentOff;

// A fixed one-character field as its Windows-1252 code, or a blank.
char oneCode(std::string_view s) {
  if (s.empty()) return ' ';
  const auto code = utf8ToCp1252(firstChar(s));
  return code && !code->empty() ? (*code)[0] : '?';
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

std::string codeText(char code) {
  return cp1252ToUtf8(std::string(1, code));
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

std::string DriveEntry::letterText(int row) const {
  return Letter == ' ' ? std::string(1, static_cast<char>('A' + row - 1)) : codeText(Letter);
}

std::string driveLine(const DriveEntry& e, std::string_view scrambled) {
  return codeText(static_cast<char>(e.Active)) + "\t" + codeText(e.Letter) + "\t" + e.Login + "\t" +
         std::string(scrambled) + "\t" + e.Path;
}

bool isActiveEntry(const DriveEntry& e) {
  return e.Active == Activation::On && !isBlank(e.Path);
}

Config::Config(platform::Process& files) : files_(files) {}

void Config::setDefaults() {
  for (int k = 1; k <= kDriveCount; ++k) {
    auto& e = DriveTable[static_cast<std::size_t>(k)];
    e = DriveEntry{};
    e.Letter = static_cast<char>('A' + k - 1);
    ConfigLines[static_cast<std::size_t>(k)] = defaultDriveLine(k);
  }
  IniMarker = kDefaultMarker;
  IconTheme = kDefaultTheme;
  LanguageFile = kDefaultLanguage;
  ResidentMode = kDefaultResident;
}

void Config::read(const std::string& path, bool createMissing) {
  path_ = path;
  ConfigUnreadable = false;
  ConfigCreated = false;
  LineReader probe(path);
  if (!probe.isOpen()) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(platform::pathFromUtf8(path), ec);
    ConfigCreated = true;
    setDefaults();
    if (exists) {
      ConfigUnreadable = true;
      platform::logLine(path +
                        " exists but cannot be read; it is left as it is and defaults are used");
      return;
    }
    if (!createMissing) return;
    const auto out = write(settingsLines(ConfigLines));
    if (!out.ok()) platform::logLine(out.detail);
  }
  LineReader in(path);
  int count = 0;
  // Lines after the 30th are ignored; counting stops there.
  while (count < kConfigLineCount) {
    auto line = in.next();
    if (!line) break;
    ++count;
    if (!isBlank(*line)) ConfigLines[static_cast<std::size_t>(count)] = cp1252ToUtf8(*line);
  }
  const auto& L = ConfigLines;
  IniMarker = threeChars(L[27]);
  IconTheme = L[28].empty() ? kDefaultTheme : L[28];
  LanguageFile = L[29].empty() ? kDefaultLanguage : L[29];
  ResidentMode = L[30].empty() ? kDefaultResident : L[30];
  if (count < kDriveCount) {
    for (int k = count + 1; k <= kDriveCount; ++k) {
      ConfigLines[static_cast<std::size_t>(k)] = defaultDriveLine(k);
    }
    IniMarker = kDefaultMarker;
  }
  takeApartDriveLines();
}

void Config::takeApartDriveLines() {
  ++parses_;
  for (int k = 1; k <= kDriveCount; ++k) {
    const std::string& line = ConfigLines[static_cast<std::size_t>(k)];
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
    auto& e = DriveTable[static_cast<std::size_t>(k)];
    e.Active = static_cast<Activation>(oneCode(field[0]));
    e.Letter = oneCode(field[1]);
    e.Login = std::string(field[2]);
    platform::wipe(e.Password);
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

ConfigFileLines Config::settingsLines(const ConfigFileLines& driveLines) const {
  ConfigFileLines lines = driveLines;
  lines[27] = threeChars(IniMarker);
  lines[28] = IconTheme;
  lines[29] = LanguageFile;
  lines[30] = ResidentMode;
  return lines;
}

WriteOutcome Config::write(const ConfigFileLines& lines) {
  if (ConfigUnreadable) return {kMsgConfigUnreadable, path_};
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
  const std::string error = files_.replaceFile(path_, bytes, true);
  platform::wipe(bytes);
  if (!error.empty()) return {kMsgConfigWriteFailed, error};
  ConfigLines = lines;
  takeApartDriveLines();
  return {};
}

WriteOutcome Config::writeDriveLines(const ConfigFileLines& driveLines) {
  return write(settingsLines(driveLines));
}

WriteOutcome Config::writeSetting(Setting line, const std::string& value) {
  ConfigFileLines lines = ConfigLines;
  lines[static_cast<std::size_t>(line)] = value;
  WriteOutcome out = write(lines);
  if (!out.ok()) return out;
  switch (line) {
    case Setting::IconTheme:
      IconTheme = value;
      break;
    case Setting::LanguageFile:
      LanguageFile = value;
      break;
    case Setting::ResidentMode:
      ResidentMode = value;
      break;
  }
  return out;
}

}  // namespace quilbert::app
