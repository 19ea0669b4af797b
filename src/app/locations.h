// Where the program's files are: its own folder with lang/ and ico/, and the
// user's configuration file. Worked out the same way by the program at every
// load and by the command line.
#pragma once

#include <string>

#include "app/globals.h"

namespace quilbert::app {

// AppDir (from the process, with a separator), IconPrefix, LangDir; then
// ConfigFileName from the network user name `user` (already cut at its NUL
// and lower-cased): "connect.ini" when blank, else the name, its file-name
// characters made safe, and ".ini"; then SettingsDir: the "Local Settings"
// registry value trimmed, else AppDir when the configuration is there, else
// "Local AppData", else AppDir; with a separator.
void locateFiles(Globals& g, const std::string& user);

}  // namespace quilbert::app
