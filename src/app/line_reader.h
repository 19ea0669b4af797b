// Reads a text file line by line without loading more than it needs. Lines
// end at CR LF, and also at a lone LF or CR so that a file edited elsewhere
// still reads; the ends are not part of the line. Bytes are returned as they
// are (NULs included).
#pragma once

#include <optional>
#include <string>

#include "platform/paths.h"

namespace quilbert::app {

class LineReader {
 public:
  explicit LineReader(const std::string& path);
  [[nodiscard]] bool isOpen() const { return in_ != nullptr && !failed_; }
  // The next line, or nullopt at the end of the file or on a read error.
  std::optional<std::string> next();
  // True when reading stopped on an error rather than at the end.
  [[nodiscard]] bool failed() const { return failed_; }

 private:
  platform::UniqueFile in_;
  bool failed_ = false;
};

}  // namespace quilbert::app
