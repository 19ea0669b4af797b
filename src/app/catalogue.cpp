#include "app/catalogue.h"

#include "app/line_reader.h"
#include "app/text.h"

namespace quilbert::app {

namespace {

template <std::size_t N>
void readEntries(const std::string& path, std::array<std::string, N>& entries) {
  for (auto& entry : entries) entry.clear();
  LineReader in(path);
  for (auto& entry : entries) {
    auto line = in.next();
    if (!line) break;  // the file ends early: the remaining entries stay empty
    if (line->size() > 4) entry = cp1252ToUtf8(std::string_view(*line).substr(4));
  }
}

std::string companionName(const std::string& languageFile) {
  constexpr std::string_view kTxt = ".txt";
  if (languageFile.size() >= kTxt.size()) {
    std::string tail = languageFile.substr(languageFile.size() - kTxt.size());
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (tail == kTxt)
      return languageFile.substr(0, languageFile.size() - kTxt.size()) + ".more.txt";
  }
  return languageFile + ".more";
}

}  // namespace

void useSessionWording(Globals& g) {
  for (const auto& [entry, session] : kSessionWording) g.Reworded[entry] = session;
}

void LoadCatalogue(Globals& g) {
  readEntries(g.LangDir + g.LanguageFile, g.Catalogue);
  readEntries(g.LangDir + companionName(g.LanguageFile), g.CatalogueMore);
}

}  // namespace quilbert::app
