// The per-user configuration file: 30 lines in Windows-1252 with CR LF, lines
// 1 to 26 the drive entries ("Active<TAB>Letter<TAB>Login<TAB>scrambled
// Password<TAB>Path"), then IniMarker, IconTheme, LanguageFile, ResidentMode.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/globals.h"

namespace quilbert::app {

// The stored form of a password: odd positions minus 3, even positions plus
// 3, on the Windows-1252 codes, wrapping modulo 256. A password with a
// character outside Windows-1252 has no stored form: nullopt.
std::optional<std::string> ScramblePassword(std::string_view plain);
// The reverse; any stored text has a plain form.
std::string UnscramblePassword(std::string_view stored);

// The default drive line of entry k: "0", tab, its letter, tab, tab, tab.
std::string defaultDriveLine(int k);

// Reads SettingsDir + ConfigFileName into ConfigLines, the settings and
// ConfigCreated, creating the file with the default content when it does not
// exist. A file that exists but cannot be read is left alone (defaults are
// used in memory) and ConfigUnreadable is set: WriteConfiguration then
// refuses until a later read succeeds, so nothing the user had is lost.
// With createMissing false a missing file is not created: ConfigCreated is
// set and the defaults are used in memory only.
void readConfiguration(Globals& g, bool createMissing = true);

// An entry the passes connect: active ("1") with a path that is not blank.
bool isActiveEntry(const DriveEntry& e);

// Fills DriveTable 1 to 26 from ConfigLines 1 to 26. A line with fewer than
// four tabs gives empty missing fields.
void takeApartDriveLines(Globals& g);

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

// Replaces the file with the 30 lines, atomically: a refused line or a failed
// write leaves the previous file as it was.
WriteOutcome WriteConfiguration(Globals& g, const std::array<std::string, 31>& lines);

// The 30 lines as they are written: IniMarker as three characters, padded.
std::array<std::string, 31> settingsLines(const Globals& g,
                                          const std::array<std::string, 31>& driveLines);

}  // namespace quilbert::app
