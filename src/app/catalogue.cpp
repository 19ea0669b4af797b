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

void Catalogue::useSessionWording() {
  for (const auto& [entry, session] : kSessionWording) reworded_[entry] = session;
}

void Catalogue::useCredentialManagerWording() {
  for (const auto& [entry, windows] : kCredentialManagerWording) reworded_[entry] = windows;
}

void Catalogue::load(const std::string& dir, const std::string& file) {
  readEntries(dir + file, entries_);
  readEntries(dir + companionName(file), more_);
}

void Catalogue::setEntry(int n, std::string text) {
  if (n >= 0 && n < kCatalogueSize) entries_[static_cast<std::size_t>(n)] = std::move(text);
  if (n >= kCatalogueMoreFirst && n < kCatalogueMoreFirst + kCatalogueMoreSize) {
    more_[static_cast<std::size_t>(n - kCatalogueMoreFirst)] = std::move(text);
  }
}

const std::string& Catalogue::msg(int n) const {
  static const std::string kEmpty;
  if (const auto other = reworded_.find(n); other != reworded_.end()) {
    const std::string& text = msg(other->second);
    if (!text.empty()) return text;
  }
  if (n >= 0 && n < kCatalogueSize) return entries_[static_cast<std::size_t>(n)];
  if (n >= kCatalogueMoreFirst && n < kCatalogueMoreFirst + kCatalogueMoreSize) {
    return more_[static_cast<std::size_t>(n - kCatalogueMoreFirst)];
  }
  return kEmpty;
}

std::string Catalogue::msg(int n, std::initializer_list<std::string> texts) const {
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

}  // namespace quilbert::app
