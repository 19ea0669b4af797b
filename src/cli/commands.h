// The command line's commands on a loaded program state (configuration and
// catalogue read). Each builds its answer as one JSON value, printed as it is
// with --json or as lines for a person, and returns the exit code.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace quilbert::cli {

// Exit code when a command cannot run at all (bad letter, unreadable
// settings, no network service); above the letter counts (0 to 26).
inline constexpr int kExitCannotRun = 64;
// Added to status's count when a connected letter's server no longer answers.
inline constexpr int kExitServerSilent = 32;

struct Output {
  std::ostream& out;
  std::ostream& err;
  bool json = false;
};

// Every active letter: connected to its path or not, to what, and why not;
// a connected letter's server is asked whether it still answers. Returns the
// number of active letters not connected, plus kExitServerSilent when a
// connected letter's server does not answer.
int status(Program& p, Output& o);

// The workgroups and their servers (server empty), or one server's disk
// shares ("\\SERVER"). Returns 0, or 1 when the network or the server could
// not be listed.
int browse(Program& p, Output& o, const std::string& server);

// Connects the letters given (upper case), ticked or not, or every active one
// when none, as the automatic run does but without a window and without
// waiting for the network. Returns the number of letters not connected.
int connect(Program& p, Output& o, const std::vector<char>& letters);

// Disconnects the letters given (upper case), or all 26 when none, without
// forcing open files. Returns the number of letters left connected.
int disconnect(Program& p, Output& o, const std::vector<char>& letters);

// Moves the file's passwords into the system's store (toStore) or back, and
// records the choice as the program's setting. Returns the number of
// passwords not moved; kExitCannotRun without a store.
int movePasswords(Program& p, Output& o, bool toStore);

// The display of one JSON answer.
void print(Output& o, const nlohmann::json& answer, const std::string& lines);

}  // namespace quilbert::cli
