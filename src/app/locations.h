// Where the program's files are: its own folder with lang/ and ico/, and the
// user's configuration file. Worked out the same way by the program at every
// load and by the command line.
#pragma once

#include <string>

#include "platform/process.h"
#include "platform/registry.h"

namespace quilbert::app {

struct Locations {
  std::string AppDir;  // the program's folder, with a separator
  std::string LangDir;
  std::string IconPrefix;  // the icon theme's folder and file prefix
  std::string SettingsDir;
  std::string ConfigFileName;
  // The value that starts the program at log-on: its path, quoted, and "/a".
  std::string RunCommand;
  // Why the configuration file beside the program was not used (empty: it
  // was, or there is none).
  std::string BesideProgramRefused;

  [[nodiscard]] std::string configPath() const { return SettingsDir + ConfigFileName; }
};

// The platform's file-system separator.
[[nodiscard]] char separator();

// AppDir (from the process, with a separator), IconPrefix, LangDir; then
// ConfigFileName from the network user name `user` (already cut at its NUL
// and lower-cased): "connect.ini" when blank, else the name, its file-name
// characters made safe, and ".ini"; then SettingsDir: the "Local Settings"
// registry value trimmed, else AppDir when the configuration is there, else
// "Local AppData", else AppDir; with a separator.
void locateFiles(Locations& at, platform::Process& process, platform::Registry& registry,
                 const std::string& user);

}  // namespace quilbert::app
