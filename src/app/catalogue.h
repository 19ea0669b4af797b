// The message catalogue: 200 texts, entry N being line N + 1 of the current
// language file with its four-character label cut off, and the program's own
// texts from entry 200 on, in the file's companion.
#pragma once

#include <array>
#include <initializer_list>
#include <map>
#include <string>

#include "app/catalogue_entries.h"

namespace quilbert::app {

inline constexpr int kCatalogueSize = 200;
// The program's own texts beyond the 200: entries 200 to 499, from the
// language file's companion.
inline constexpr int kCatalogueMoreFirst = 200;
inline constexpr int kCatalogueMoreSize = 300;

class Catalogue {
 public:
  // Reads dir + file into entries 0 to 199, and its companion (the same name
  // with ".txt" replaced by ".more.txt", or ".more" appended) into 200 to
  // 499, kept apart so that the 200-line file stays as every copy of the
  // program reads it. A missing or short file leaves the entries it lacks
  // empty; nothing is reported.
  void load(const std::string& dir, const std::string& file);
  // Where the program starts with the user's desktop session rather than
  // with Windows, the entries that name Windows read their session wording.
  void useSessionWording();
  // The passwords' store is the Credential Manager: its name where the
  // entries say "keyring".
  void useCredentialManagerWording();

  // Sets entry n (0 to 499): a catalogue made without its files.
  void setEntry(int n, std::string text);

  // Entry n (or the entry it is reworded to, when that one is not empty),
  // or "" when n is out of range.
  [[nodiscard]] const std::string& msg(int n) const;
  // Entry n with "%1", "%2"... replaced by the texts given.
  [[nodiscard]] std::string msg(int n, std::initializer_list<std::string> texts) const;

 private:
  std::array<std::string, kCatalogueSize> entries_{};
  std::array<std::string, kCatalogueMoreSize> more_{};
  std::map<int, int> reworded_;
};

}  // namespace quilbert::app
