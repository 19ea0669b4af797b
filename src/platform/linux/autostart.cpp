#include "platform/linux/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace quilbert::platform::posix {

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

void appendWords(const std::string& text, std::vector<std::string>& out) {
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// Characters that the desktop-entry standard reserves in Exec arguments.
bool needsQuotes(const std::string& argument) {
  return argument.empty() ||
         argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`=") != std::string::npos;
}

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
  std::vector<std::string> out;
  auto begin = commandLine.find_first_not_of(' ');
  if (begin == std::string::npos) return out;
  std::string line = commandLine.substr(begin);
  if (line.front() == '"') {
    auto close = line.find('"', 1);
    if (close != std::string::npos) {
      out.push_back(line.substr(1, close - 1));
      appendWords(line.substr(close + 1), out);
      return out;
    }
  }
  line.erase(line.find_last_not_of(' ') + 1);
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') ends.push_back(i);
  }
  std::size_t lastSpace = ends.empty() ? std::string::npos : ends.back();
  ends.push_back(line.size());
  std::size_t programEnd = std::string::npos;
  // The longest match wins, so a shorter path that happens to exist is never run instead.
  std::reverse(ends.begin(), ends.end());
  for (std::size_t end : ends) {
    if (isExecutableFile(line.substr(0, end))) {
      programEnd = end;
      break;
    }
  }
  if (programEnd == std::string::npos) {
    programEnd = lastSpace == std::string::npos ? line.size() : lastSpace;
    while (programEnd > 0 && line[programEnd - 1] == ' ') --programEnd;
  }
  out.push_back(line.substr(0, programEnd));
  appendWords(line.substr(programEnd), out);
  return out;
}

std::string desktopExec(const std::vector<std::string>& arguments) {
  std::string exec;
  for (const auto& argument : arguments) {
    if (!exec.empty()) exec += ' ';
    std::string word;
    for (char c : argument) {
      if (c == '%') {
        word += "%%";
      } else {
        if (c == '"' || c == '`' || c == '$' || c == '\\') word += '\\';
        word += c;
      }
    }
    exec += needsQuotes(argument) ? '"' + word + '"' : word;
  }
  // The value is itself a desktop-entry string, where backslashes are escapes.
  std::string escaped;
  for (char c : exec) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string autostartEntry(const std::string& commandLine) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quilbert\n"
         "Exec=" +
         desktopExec(splitCommandLine(commandLine)) +
         "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace quilbert::platform::posix
