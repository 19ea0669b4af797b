// The connections of the simulated logon session, kept in a small TOML file so
// that they outlive the process. Readers take the file as it is (writers replace
// it atomically, so a reader sees one whole version); writers hold an exclusive
// lock on "<state>.lock" while they read, change and replace it, so that two
// processes never lose each other's changes.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quilbert::sim {

struct Connection {
  char letter = 'A';   // upper case
  std::string remote;  // as the caller gave it: "\\ATLAS\docs"
  std::string user;    // the user it was made as; empty: the logged-on user
  friend bool operator==(const Connection&, const Connection&) = default;
};

// Sorted by letter, at most one per letter.
using Connections = std::vector<Connection>;

class StateFile {
 public:
  // An empty path keeps the connections in memory only.
  explicit StateFile(std::filesystem::path path);

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  // The connections as they are now. A missing file holds none; so does a
  // corrupt one, which is reported once on stderr (again only after it was
  // found whole in between).
  Connections read();

  // Calls `change` with the current connections under the lock; when it
  // returns true they are written back. Returns an empty string, or what kept
  // the file from being written (the old file is then intact).
  std::string update(const std::function<bool(Connections&)>& change);

  // The file's text for a set of connections, and back (nullopt: corrupt).
  static std::string format(const Connections& connections);
  static std::optional<Connections> parse(const std::string& text);

 private:
  struct Loaded {
    bool exists = true;
    bool readable = true;  // false: exists but could not be read (taken as corrupt)
    std::string text;
  };
  [[nodiscard]] Loaded load() const;
  Connections decode(const Loaded& loaded);

  std::filesystem::path path_;
  Connections memory_;
  bool warned_ = false;
  // The text last read or written and what it holds: most calls find the
  // file unchanged and need no parse.
  std::string cachedText_;
  Connections cached_;
  bool cacheValid_ = false;
};

}  // namespace quilbert::sim
