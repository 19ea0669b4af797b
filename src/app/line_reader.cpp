#include "app/line_reader.h"

namespace quilbert::app {

LineReader::LineReader(const std::string& path)
    : in_(platform::openForReading(platform::pathFromUtf8(path))) {
  if (!in_) return;
  // A folder opens on some systems and then fails at the first read.
  const int c = std::fgetc(in_.get());
  if (c == EOF && std::ferror(in_.get()) != 0) failed_ = true;
  if (c != EOF) std::ungetc(c, in_.get());
}

std::optional<std::string> LineReader::next() {
  if (!in_ || failed_) return std::nullopt;
  std::FILE* f = in_.get();
  std::string line;
  bool any = false;
  for (;;) {
    const int c = std::getc(f);
    if (c == EOF) {
      if (std::ferror(f) != 0) {
        failed_ = true;
        return std::nullopt;
      }
      if (!any) return std::nullopt;
      return line;
    }
    any = true;
    if (c == '\n') return line;
    if (c == '\r') {
      const int after = std::getc(f);
      if (after != '\n' && after != EOF) std::ungetc(after, f);
      return line;
    }
    line += static_cast<char>(c);
  }
}

}  // namespace quilbert::app
