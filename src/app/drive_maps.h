// A domain's drive maps, as its Group Policy keeps them in Drives.xml: read
// into the 26 letters (one atomic save, or nothing at all), and the letters
// written out as a file the policy console opens.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/services.h"

namespace quilbert::app {

// The largest policy file read, and the most items taken from it: a whole
// office's maps fit many times over.
inline constexpr std::size_t kDriveMapsMaxBytes = 1U << 20U;
inline constexpr std::size_t kDriveMapsMaxItems = 1000;

// One <Drive> item, its variables expanded.
struct DriveMap {
  int line = 0;       // of its <Drive> tag
  char action = 'U';  // C create, R replace, U update, D delete
  char letter = 0;    // 'A' to 'Z'; with useLetter false, the first one tried
  bool useLetter = true;
  bool disabled = false;
  std::string path;
  std::optional<std::string> userName;  // absent or empty: not named
  std::optional<std::string> password;  // from cpassword, plain; absent or empty: none
  std::vector<std::string> filters;     // item-level targeting, one text per filter
};

// What an import reads the policy with.
struct DriveMapsInputs {
  std::map<std::string, std::string> variables;  // USERNAME ... as the log-on gives them
  platform::Domain* cipher = nullptr;            // null: a cpassword cannot be read
  const platform::Network* network = nullptr;    // null: every path is carried
  bool includeFiltered = false;                  // take the items with targeting too
};

// The items of a policy file, or why it is refused ("Line 12: ..."), and
// what a person must be told (unknown variables, passwords in the policy).
struct DriveMapsRead {
  std::vector<DriveMap> items;
  std::vector<std::string> notes;
  std::string error;
};
DriveMapsRead readDriveMaps(const Catalogue& texts, std::string_view xml,
                            const DriveMapsInputs& in);

// The letters after an import, letter by letter, with the file's lines that
// changed them; `error` set: the file is refused and nothing changes.
struct DriveMapsImport {
  std::array<DriveEntry, kDriveCount + 1> table{};
  std::array<bool, kDriveCount + 1> changed{};
  std::array<bool, kDriveCount + 1> passwordFromPolicy{};
  std::array<int, kDriveCount + 1> line{};  // of the item that changed each letter
  std::vector<std::string> lines;           // the dry run's text: letters, then notes
  int changes = 0;
  std::string error;
};
DriveMapsImport planImport(const Catalogue& texts, const Config& config, std::string_view xml,
                           const DriveMapsInputs& in);

// Where a password read from the policy goes when the import is saved: true
// when a store outside the file confirmed it, so that its field is written
// empty; otherwise (none given, or refused) the file keeps it, scrambled as
// every password the user typed.
using PasswordKeeper = std::function<bool(const DriveEntry& e)>;

// Writes the planned letters in one atomic save and reloads the table; on
// failure the file and the table stay as they were.
WriteOutcome saveImport(Config& config, DriveMapsImport& plan, const PasswordKeeper& keep = {});

// The letters with a path as a Drives.xml (UTF-8, CR LF); `notes` tells the
// letters whose password was left out.
std::string exportDriveMaps(const Catalogue& texts, const Config& config,
                            std::chrono::system_clock::time_point now,
                            std::vector<std::string>& notes);

// The inputs of an import on this machine: the log-on's variables and the
// cipher of the platform (none without a domain service).
DriveMapsInputs importInputs(const Services& svc, bool includeFiltered);

// The plan of importing the policy file `file` (UTF-8 path); a file that
// cannot be read is refused like a malformed one.
DriveMapsImport planImportFile(const Catalogue& texts, const Config& config,
                               const std::string& file, const DriveMapsInputs& in);

// Writes the letters to `file`, atomically. Empty on success, else why
// (a message naming the file); `notes` as exportDriveMaps; `count` items.
std::string exportDriveMapsFile(const Catalogue& texts, const Config& config,
                                platform::Process& files, const std::string& file,
                                std::vector<std::string>& notes, int& count);

// A text from the file as a message shows it: control characters made visible.
std::string shownText(std::string_view text);

// `text` with every known %NAME% replaced (names matched in any case); the
// unknown ones are left as written and added to `unknown`.
std::string expandVariables(std::string_view text, const std::map<std::string, std::string>& vars,
                            std::vector<std::string>& unknown);

}  // namespace quilbert::app
