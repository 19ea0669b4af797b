// quilbert-cli: the arguments, then one command on the user's configuration,
// read and never written, with the catalogue of its language.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/globals.h"

namespace quilbert::cli {

struct Command {
  std::string name;                  // status, connect, disconnect, browse
  std::vector<std::string> letters;  // as given
  std::string server;                // browse's, as given
  bool json = false;
};

// Parses the arguments (UTF-8). Returns the exit code when the run ends here
// (help, or a usage error, told on `out` or `err`), nothing when `command`
// is to run.
std::optional<int> ParseArguments(int argc, const char* const* argv, Command& command,
                                  std::ostream& out, std::ostream& err);

// Finds and reads the configuration and the catalogue as the program does,
// without creating or changing any file, then runs the command.
int Execute(app::Globals& g, const Command& command, std::ostream& out, std::ostream& err);

}  // namespace quilbert::cli
