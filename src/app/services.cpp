#include "app/services.h"

#include <cstdio>

namespace quilbert::app {

void Services::logStatus(const std::string& text) const {
  if (!statusLog) return;
  // One line: a line break becomes one blank (none after a blank).
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  statusLog(line);
}

void writeToStandardOutput(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace quilbert::app
