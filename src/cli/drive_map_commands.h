// quilbert-cli import FILE [--dry-run] [--include-filtered] and export FILE:
// a domain's Group Policy drive maps in and out.
#pragma once

#include <CLI/CLI.hpp>
#include <utility>

#include "cli/cli.h"
#include "cli/commands.h"

namespace quilbert::cli {

// Adds the two commands to the parser; returns them (import, export).
std::pair<CLI::App*, CLI::App*> addDriveMapCommands(const app::Catalogue& texts, CLI::App& app,
                                                    Command& command);

// Runs import or export. 0 when done (or the dry run told), 1 when nothing
// was written: the file refused, or the configuration not replaced.
int driveMaps(Program& p, Output& o, const Command& command);

}  // namespace quilbert::cli
