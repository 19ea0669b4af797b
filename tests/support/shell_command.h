// Runs a shell command line and gathers what it prints, for the tests that
// start the built program as a user would (POSIX only).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace quilbert::testing {

struct CommandRun {
  int exitCode = -1;   // -1 when the command did not end by itself
  std::string output;  // standard output and standard error together
};

inline CommandRun runShell(const std::string& command) {
  CommandRun run;
  // Grouped, so that a redirection inside the command line still wins.
  FILE* pipe = popen(("{ " + command + "\n} 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace quilbert::testing
