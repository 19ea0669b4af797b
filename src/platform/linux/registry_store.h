// The in-memory table of registry keys and its text file format.
//
// The file is plain text, one key per "[ROOT\path]" header followed by its
// values, one per line:   "name" = sz:"text\0"   or   "n" = dword:0x00000001
// or "n" = 7:"raw bytes". Inside quotes \\ \" \0 \t \n \r \xHH stand for
// bytes, everything else printable (UTF-8 included) is itself; in headers
// unusual bytes are written %HH. Lines starting with # are comments.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quilbert::platform::posix {

struct StoredValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

// One key. `path` is the full path as first written ("HKEY_CURRENT_USER\\A\\B").
struct StoredKey {
  std::string path;
  std::vector<StoredValue> values;

  // Value names are case-insensitive, like key names.
  [[nodiscard]] StoredValue* findValue(const std::string& name);
  [[nodiscard]] const StoredValue* findValue(const std::string& name) const;
  void setValue(const std::string& name, std::uint32_t type, const std::string& data);
  bool removeValue(const std::string& name);
};

// Keys by full path, found case-insensitively.
class KeyTable {
 public:
  [[nodiscard]] StoredKey* find(const std::string& fullPath);
  [[nodiscard]] const StoredKey* find(const std::string& fullPath) const;
  // Finds or creates the key and its missing parents.
  StoredKey& create(const std::string& fullPath);
  [[nodiscard]] bool hasSubKeys(const std::string& fullPath) const;
  [[nodiscard]] const std::map<std::string, StoredKey>& keys() const { return keys_; }

 private:
  std::map<std::string, StoredKey> keys_;  // by folded path
};

// ASCII letters in lower case; other bytes unchanged.
std::string foldCase(std::string text);

// "HKEY_CURRENT_USER" for 0x80000001 and so on; empty for other numbers.
std::string rootName(std::uint32_t root);

// A full key path from a root name and a sub-key ("A\\B\\"), with empty
// components dropped.
std::string joinKeyPath(const std::string& base, const std::string& subKey);

struct ParsedStore {
  KeyTable table;
  std::vector<std::string> problems;  // "line N: what is wrong"; the line was skipped
};

std::string formatStore(const KeyTable& table);
ParsedStore parseStore(const std::string& text);

}  // namespace quilbert::platform::posix
