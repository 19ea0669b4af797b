// The one way diagnostics leave the program: a line on stderr, prefixed
// "quilbert: ", unless a test captures them.
#pragma once

#include <string>
#include <string_view>

namespace quilbert::platform {

// Writes "quilbert: <line>\n" to stderr, or hands `line` to the capture in force.
void logLine(std::string_view line);

// While it lives, the lines logged go to it instead of stderr (in any thread);
// an earlier capture resumes when it goes.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The lines so far, each ended by "\n", without the prefix.
  [[nodiscard]] std::string text() const;

 private:
  friend void logLine(std::string_view line);
  LogCapture* previous_;
  std::string text_;
};

}  // namespace quilbert::platform
