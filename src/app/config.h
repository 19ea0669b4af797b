// The per-user configuration file: 30 lines in Windows-1252 with CR LF, lines
// 1 to 26 the drive entries ("Active<TAB>Letter<TAB>Login<TAB>scrambled
// Password<TAB>Path"), then IniMarker, IconTheme, LanguageFile, ResidentMode.
// Read once per load; the drive lines are taken apart then, and again only
// when the file is written.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/process.h"

namespace quilbert::app {

inline constexpr int kDriveCount = 26;
inline constexpr int kConfigLineCount = 30;

// Lines 1 to 30 as stored (index 0 unused).
using ConfigFileLines = std::array<std::string, kConfigLineCount + 1>;

// A drive line's first field. The type holds any Windows-1252 code, so that
// a hand-edited value is written back as it was read.
enum class Activation : char { Off = '0', On = '1', Greyed = '2' };

// One drive letter's entry; Password is plain text in memory.
struct DriveEntry {
  Activation Active = Activation::Off;
  char Letter = ' ';  // the Windows-1252 code of the line's letter field
  std::string Login;
  std::string Password;
  std::string Path;

  // The letter as text (UTF-8), or the row's own letter when the field is blank.
  [[nodiscard]] std::string letterText(int row) const;
};

// The stored form of a password: odd positions minus 3, even positions plus
// 3, on the Windows-1252 codes, wrapping modulo 256. A password with a
// character outside Windows-1252 has no stored form: nullopt.
std::optional<std::string> ScramblePassword(std::string_view plain);
// The reverse; any stored text has a plain form.
std::string UnscramblePassword(std::string_view stored);

// The default drive line of entry k: "0", tab, its letter, tab, tab, tab.
std::string defaultDriveLine(int k);
// The line that stores `e` with `scrambled` as its password field.
std::string driveLine(const DriveEntry& e, std::string_view scrambled);

// An entry the passes connect: active with a path that is not blank.
bool isActiveEntry(const DriveEntry& e);

// Why a configuration write was refused or failed; empty when it succeeded.
struct WriteOutcome {
  int message = 0;     // catalogue message to show, 0 on success
  std::string detail;  // what exactly, for the user
  [[nodiscard]] bool ok() const { return message == 0; }
};

// The fields of a drive line, by what each may hold: no line break anywhere,
// no tab in the login, every character in Windows-1252, and no password
// character whose scrambled form is a tab or a line break.
enum class DriveField { Login, Password, Path };

// The first character of a field that the line cannot hold.
struct StoreProblem {
  std::size_t position = 0;  // 1-based, in characters
  std::string shown;         // quoted, or its U+ code; "" for a password's
  int reason = 0;            // catalogue entry saying why
};
std::optional<StoreProblem> storeProblem(std::string_view text, DriveField field);

// ResidentMode as the file stores it: stay behind the notification icon, or not.
inline constexpr const char* kResidentOn = "ores";
inline constexpr const char* kResidentOff = "nres";

// The setting lines after the drive lines.
enum class Setting { IconTheme = 28, LanguageFile = 29, ResidentMode = 30 };

class Config {
 public:
  // `files` replaces the file atomically.
  explicit Config(platform::Process& files);

  // Filled from the file; index 0 unused so that entry k is letter 64 + k
  // and line k is line k of the file. ConfigLines mirrors the file as last
  // read or written; DriveTable is taken apart from it then.
  std::array<DriveEntry, kDriveCount + 1> DriveTable{};
  ConfigFileLines ConfigLines{};
  std::string IniMarker;
  std::string IconTheme;
  std::string LanguageFile;
  std::string ResidentMode;
  // The last read had to create the file (or found none, not creating it).
  bool ConfigCreated = false;
  // The file exists but could not be read: the defaults in memory must never
  // be written over what it holds.
  bool ConfigUnreadable = false;

  [[nodiscard]] bool resident() const { return ResidentMode == kResidentOn; }
  [[nodiscard]] const std::string& path() const { return path_; }

  // Reads the file at `path`, creating it with the default content when it
  // does not exist. A file that exists but cannot be read is left alone
  // (defaults are used in memory) and ConfigUnreadable is set: writes then
  // refuse until a later read succeeds, so nothing the user had is lost.
  // With createMissing false a missing file is not created: ConfigCreated is
  // set and the defaults are used in memory only.
  void read(const std::string& path, bool createMissing = true);

  // The only writer: replaces the file with the 30 lines, atomically, and
  // takes them as ConfigLines. A refused line or a failed write leaves the
  // previous file, and this object, as they were.
  WriteOutcome write(const ConfigFileLines& lines);
  // Drive lines 1 to 26 from `driveLines`, the settings from the fields.
  WriteOutcome writeDriveLines(const ConfigFileLines& driveLines);
  // One setting line, and its field once the file holds it.
  WriteOutcome writeSetting(Setting line, const std::string& value);

  // The 30 lines as they are written: the settings from the fields,
  // IniMarker as three characters, padded.
  [[nodiscard]] ConfigFileLines settingsLines(const ConfigFileLines& driveLines) const;

  // How many times the drive lines were taken apart (once per read or write).
  [[nodiscard]] int driveTableParses() const { return parses_; }

 private:
  void setDefaults();
  void takeApartDriveLines();

  platform::Process& files_;
  std::string path_;
  int parses_ = 0;
};

}  // namespace quilbert::app
