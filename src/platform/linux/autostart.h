// The XDG autostart entry that stands for the Run value at log-on.
#pragma once

#include <string>
#include <vector>

namespace quilbert::platform::posix {

// Splits a command line stored the Windows way: an unquoted program path,
// which may hold spaces, then arguments separated by spaces. A program in
// double quotes is taken as quoted. Otherwise the longest prefix that names
// an existing executable file is the program; failing that, the last word is
// the only argument when there is more than one word.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

// The Exec= value for these arguments: quoted where the desktop-entry rules
// require it, with "%" doubled, then escaped as a desktop-entry string.
std::string desktopExec(const std::vector<std::string>& arguments);

// The whole autostart entry that runs `commandLine` at log-on.
std::string autostartEntry(const std::string& commandLine);

}  // namespace quilbert::platform::posix
