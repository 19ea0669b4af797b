#include "app/globals.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace quilbert::app {

const std::string& Globals::msg(int n) const {
  static const std::string kEmpty;
  if (const auto other = Reworded.find(n); other != Reworded.end()) {
    const std::string& text = msg(other->second);
    if (!text.empty()) return text;
  }
  if (n >= 0 && n < kCatalogueSize) return Catalogue[static_cast<std::size_t>(n)];
  if (n >= kCatalogueMoreFirst && n < kCatalogueMoreFirst + kCatalogueMoreSize) {
    return CatalogueMore[static_cast<std::size_t>(n - kCatalogueMoreFirst)];
  }
  return kEmpty;
}

std::string Globals::msg(int n, std::initializer_list<std::string> texts) const {
  const std::string& text = msg(n);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t k = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : 0;
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && k < texts.size()) {
      out += *(texts.begin() + k);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

forms::Picture Globals::picture(const std::string& pathWithoutExtension) const {
  for (const char* ext : {".png", ".bmp", ".ico"}) {
    if (auto p = svc.toolkit.loadPicture(pathWithoutExtension + ext)) return *p;
  }
  return {};
}

void Globals::logStatus(const std::string& text) const {
  if (!svc.statusLog || CommandLine != "/a") return;
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
  svc.statusLog(line);
}

void writeToStandardOutput(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Globals::networkWaitFromEnvironment() {
  const char* value = std::getenv("QUILBERT_NETWORK_WAIT");
  if (value == nullptr) return;
  char* end = nullptr;
  const long seconds = std::strtol(value, &end, 10);
  if (end == value || *end != '\0' || seconds < 0 || seconds > 120) return;
  NetworkWaitMs = static_cast<int>(seconds * 1000);
}

char Globals::separator() {
  return static_cast<char>(std::filesystem::path::preferred_separator);
}

}  // namespace quilbert::app
