// quilbert-cli: the arguments, then one command on the user's configuration,
// read and, but for `passwords`, never written, with the catalogue of its
// language.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "app/services.h"

namespace CLI {
class App;
}

namespace quilbert::cli {

// What a command works on: the services, and the configuration, the
// catalogue and the file locations read as the program reads them.
struct Program {
  explicit Program(app::Services& services) : svc(services), config(services.process) {}
  app::Services& svc;
  app::Config config;
  app::Catalogue texts;
  app::Locations places;
};

struct Command {
  std::string name;                  // status, connect, disconnect, browse, import, export,
                                     // passwords
  std::vector<std::string> letters;  // as given
  std::string server;                // browse's, as given
  std::string file;                  // import's and export's Drives.xml
  bool dryRun = false;               // import: tell, write nothing
  bool includeFiltered = false;      // import: items with targeting too
  bool json = false;
  bool toStore = false;  // passwords --to-keyring (else --to-file)
};

// Finds and reads the configuration and the catalogue as the program does,
// without creating or changing any file.
void loadSettings(Program& p);

// The commands and options, with their help in the catalogue's words; a
// parse fills `command`. The help and the manual pages are both made from it.
std::unique_ptr<CLI::App> commandLine(const app::Catalogue& texts, Command& command);

// Parses the arguments (UTF-8), the help and the usage errors in the words
// of the catalogue. Returns the exit code when the run ends here (help, or a
// usage error, told on `out` or `err`), nothing when `command` is to run.
std::optional<int> parseArguments(const app::Catalogue& texts, int argc, const char* const* argv,
                                  Command& command, std::ostream& out, std::ostream& err);

// Runs the command on the settings loadSettings read.
int execute(Program& p, const Command& command, std::ostream& out, std::ostream& err);

}  // namespace quilbert::cli
