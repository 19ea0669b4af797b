#include "app/catalogue.h"

#include "app/line_reader.h"
#include "app/text.h"

namespace quilbert::app {

void LoadCatalogue(Globals& g) {
  for (auto& entry : g.Catalogue) entry.clear();
  LineReader in(g.LangDir + g.LanguageFile);
  for (auto& entry : g.Catalogue) {
    auto line = in.next();
    if (!line) break;  // the file ends early: the remaining entries stay empty
    if (line->size() > 4) entry = cp1252ToUtf8(std::string_view(*line).substr(4));
  }
}

}  // namespace quilbert::app
