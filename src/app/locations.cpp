#include "app/locations.h"

#include <filesystem>
#include <string_view>

#include "app/registry_routines.h"
#include "app/text.h"
#include "platform/paths.h"

namespace quilbert::app {

namespace {

// Characters a file name cannot hold become "_", so that a user name such as
// "DOMAIN\user" names a file in the settings folder, not a missing subfolder.
std::string fileNameSafe(std::string name) {
  for (char& c : name) {
    if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

std::string withSeparator(std::string dir) {
  const char sep = separator();
  if (dir.empty() || dir.back() != sep) dir += sep;
  return dir;
}

// "Local Settings" where the system still names it; else a configuration
// already beside the program (a portable copy, or one an earlier start put
// there) stays in use; else the folder "Local Settings" became, which a
// standard user can write, unlike the program's folder under Program Files.
std::string settingsFolder(Locations& at, platform::Process& process,
                           platform::Registry& registry) {
  auto shellFolder = [&registry](const char* name) {
    return trimSpaces(ReadRegString(registry, platform::kHkeyCurrentUser, kShellFoldersKey, name));
  };
  std::string dir = shellFolder("Local Settings");
  if (dir.empty()) {
    std::error_code ec;
    const std::string beside = at.AppDir + at.ConfigFileName;
    bool besideProgram = std::filesystem::is_regular_file(platform::pathFromUtf8(beside), ec);
    // Settings anyone else could have written (a folder open to all users)
    // would choose the letters, logins and paths of this user's log-on.
    if (besideProgram) at.BesideProgramRefused = process.untrustedFile(beside);
    besideProgram = besideProgram && at.BesideProgramRefused.empty();
    dir = besideProgram ? at.AppDir : shellFolder("Local AppData");
  }
  return withSeparator(dir.empty() ? at.AppDir : dir);
}

}  // namespace

char separator() {
  return static_cast<char>(std::filesystem::path::preferred_separator);
}

void locateFiles(Locations& at, platform::Process& process, platform::Registry& registry,
                 const std::string& user) {
  const char sep = separator();
  at.AppDir = withSeparator(process.appDir());
  at.IconPrefix = at.AppDir + "ico" + sep;
  at.LangDir = at.AppDir + "lang" + sep;
  at.ConfigFileName = isBlank(user) ? "connect.ini" : fileNameSafe(user) + ".ini";
  at.BesideProgramRefused.clear();
  at.SettingsDir = settingsFolder(at, process, registry);
}

}  // namespace quilbert::app
