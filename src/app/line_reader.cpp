#include "app/line_reader.h"

#include "platform/paths.h"

namespace quilbert::app {

LineReader::LineReader(const std::string& path)
    : in_(platform::pathFromUtf8(path), std::ios::binary) {
  // A folder opens as a stream on some systems and then fails at the first read.
  if (in_.is_open() && in_.peek() == std::char_traits<char>::eof() && in_.bad()) failed_ = true;
}

std::optional<std::string> LineReader::next() {
  if (!in_.is_open() || failed_) return std::nullopt;
  std::string line;
  std::streambuf* buf = in_.rdbuf();
  bool any = false;
  for (;;) {
    int c = 0;
    try {
      c = buf->sbumpc();
    } catch (...) {
      failed_ = true;
      return std::nullopt;
    }
    if (c == std::char_traits<char>::eof()) {
      if (!any) return std::nullopt;
      return line;
    }
    any = true;
    if (c == '\n') return line;
    if (c == '\r') {
      if (buf->sgetc() == '\n') buf->sbumpc();
      return line;
    }
    line += static_cast<char>(c);
  }
}

}  // namespace quilbert::app
