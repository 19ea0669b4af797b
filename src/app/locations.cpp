#include "app/locations.h"

#include <string_view>

#include "app/registry_routines.h"
#include "app/text.h"

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
  const char sep = Globals::separator();
  if (dir.empty() || dir.back() != sep) dir += sep;
  return dir;
}

}  // namespace

void LocateFiles(Globals& g, const std::string& user) {
  const char sep = Globals::separator();
  g.AppDir = withSeparator(g.svc.process.appDir());
  g.IconPrefix = g.AppDir + "ico" + sep;
  g.LangDir = g.AppDir + "lang" + sep;

  g.SettingsDir = trimSpaces(ReadRegString(g.svc.registry, platform::kHkeyCurrentUser,
                                           kShellFoldersKey, "Local Settings"));
  if (g.SettingsDir.empty()) g.SettingsDir = g.AppDir;
  g.SettingsDir = withSeparator(g.SettingsDir);

  g.ConfigFileName = isBlank(user) ? "connect.ini" : fileNameSafe(user) + ".ini";
}

}  // namespace quilbert::app
