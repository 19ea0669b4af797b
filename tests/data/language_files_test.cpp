// Checks the two language files delivered in lang/ as the program will read them:
// raw bytes, Windows-1252, CR LF, entry N on line N + 1 after a four-character label.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/catalogue.h"

namespace {

constexpr int kEntries = 200;

struct LanguageFile {
  std::string name;
  std::string bytes;
  std::vector<std::string> lines;  // without their CR LF
};

LanguageFile load(const std::string& name) {
  LanguageFile f{name, {}, {}};
  std::ifstream in(std::string(QUILBERT_SOURCE_DIR) + "/lang/" + name, std::ios::binary);
  f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start < f.bytes.size()) {
    std::size_t end = f.bytes.find("\r\n", start);
    if (end == std::string::npos) end = f.bytes.size();
    f.lines.push_back(f.bytes.substr(start, end - start));
    start = end + 2;
  }
  return f;
}

std::string entry(const LanguageFile& f, int n) {
  const std::string& line = f.lines.at(static_cast<std::size_t>(n));
  return line.size() > 4 ? line.substr(4) : std::string();
}

// Every entry a window, a dialog or a status text shows (the table of the catalogue),
// plus the messages of the save and start-with-Windows failures (57, 58, 172 to 174)
// and the command line's (134 to 138).
std::vector<int> usedEntries() {
  std::vector<int> used;
  auto range = [&](int from, int to) {
    for (int n = from; n <= to; ++n) used.push_back(n);
  };
  range(0, 14);
  range(19, 25);
  range(29, 36);
  range(39, 72);
  range(80, 110);
  range(112, 128);
  range(134, 148);
  range(160, 164);
  used.push_back(168);
  range(170, 174);
  range(179, 182);
  used.push_back(189);
  return used;
}

// The letter after the single '&' of a caption, upper-cased; 0 when there is none.
char accessKey(const std::string& caption) {
  std::size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[amp + 1])));
}

class LanguageFiles : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { file = load(GetParam()); }
  LanguageFile file;
};

TEST_P(LanguageFiles, HasTwoHundredLinesEachEndedByCrLf) {
  ASSERT_FALSE(file.bytes.empty()) << file.name << " is missing or empty";
  EXPECT_EQ(file.bytes.substr(file.bytes.size() - 2), "\r\n");
  EXPECT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    EXPECT_EQ(file.lines[i].find_first_of("\r\n"), std::string::npos)
        << "stray CR or LF on line " << i + 1;
  }
}

TEST_P(LanguageFiles, IsWindows1252WithoutControlCharacters) {
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    for (unsigned char c : file.lines[i]) {
      EXPECT_FALSE(c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
          << "byte undefined in Windows-1252 on line " << i + 1;
      EXPECT_GE(c, 0x20) << "control character on line " << i + 1;
      EXPECT_NE(c, 0x7F) << "DEL on line " << i + 1;
    }
  }
  // UTF-8 lead bytes followed by continuation bytes would mean the file was saved in
  // the wrong encoding: "é" would show as two characters.
  EXPECT_EQ(file.bytes.find("\xC3\xA9"), std::string::npos);
  EXPECT_EQ(file.bytes.find("\xC3\xA0"), std::string::npos);
}

TEST_P(LanguageFiles, EveryLineStartsWithItsEntryNumberAsLabel) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  for (int n = 0; n < kEntries; ++n) {
    char label[5];
    std::snprintf(label, sizeof label, "%03d ", n);
    EXPECT_EQ(file.lines[static_cast<std::size_t>(n)].substr(0, 4), label);
  }
}

TEST_P(LanguageFiles, EveryUsedEntryHasATextWithoutOuterBlanks) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  for (int n : usedEntries()) {
    std::string text = entry(file, n);
    EXPECT_FALSE(text.empty()) << "entry " << n;
    if (text.empty()) continue;
    // The program joins entries with its own blanks and separators.
    EXPECT_NE(text.front(), ' ') << "entry " << n;
    EXPECT_NE(text.back(), ' ') << "entry " << n;
  }
}

TEST_P(LanguageFiles, LocalDriveMarkerIsTheStartOfTheDescription) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  std::string description = entry(file, 62);
  ASSERT_GE(description.size(), 13u);
  EXPECT_EQ(entry(file, 63), description.substr(0, 13));
  // The clean-up compares characters; an accented letter here would be one byte in the
  // file but two in the program's UTF-8 strings.
  for (unsigned char c : entry(file, 63)) EXPECT_LT(c, 0x80);
}

TEST_P(LanguageFiles, TextsThatCodeComparesAreDistinct) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  // The window-state caption tells shown from hidden.
  EXPECT_NE(entry(file, 163), entry(file, 168));
  // Detection skips a letter whose type text equals the network one (67).
  std::set<std::string> kinds;
  for (int n = 64; n <= 69; ++n) kinds.insert(entry(file, n));
  EXPECT_EQ(kinds.size(), 6u);
  std::set<std::string> headings;
  for (int n = 119; n <= 128; ++n) headings.insert(entry(file, n));
  EXPECT_EQ(headings.size(), 10u);
}

TEST_P(LanguageFiles, CommandButtonsHaveDistinctAccessKeys) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  // The seven buttons and the menu bar titles share one window, so one key each.
  std::set<char> keys;
  for (int n : {30, 31, 32, 33, 34, 35, 36}) {
    std::string caption = entry(file, n);
    EXPECT_EQ(std::count(caption.begin(), caption.end(), '&'), 1) << "entry " << n;
    char key = accessKey(caption);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(key))) << "entry " << n;
    EXPECT_TRUE(keys.insert(key).second) << "entry " << n << " repeats key " << key;
  }
  for (int n : {1, 3, 5, 9, 12}) {
    char key = accessKey(entry(file, n));
    if (key != 0) {
      EXPECT_TRUE(keys.insert(key).second) << "menu entry " << n << " repeats key " << key;
    }
  }
}

TEST_P(LanguageFiles, DialogButtonsHaveDistinctAccessKeys) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  std::set<char> keys;
  for (int n : {180, 181, 182}) {
    std::string caption = entry(file, n);
    EXPECT_EQ(std::count(caption.begin(), caption.end(), '&'), 1) << "entry " << n;
    EXPECT_TRUE(keys.insert(accessKey(caption)).second) << "entry " << n;
  }
  std::string ok = entry(file, 179);
  EXPECT_LE(std::count(ok.begin(), ok.end(), '&'), 1);
}

TEST_P(LanguageFiles, EntriesLeaveTheirSeparatorsToTheProgram) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  // Followed by " : " or " :" in the windows.
  for (int n : {59, 60, 71, 113, 117, 118}) {
    EXPECT_NE(entry(file, n).back(), ':') << "entry " << n;
  }
  // Help list items: the window adds "- " before and " ;" or "." after.
  for (int n : {142, 143, 146, 147}) {
    std::string text = entry(file, n);
    EXPECT_TRUE(std::string(".;:").find(text.back()) == std::string::npos) << "entry " << n;
    EXPECT_NE(text.front(), '-') << "entry " << n;
  }
}

TEST_P(LanguageFiles, StatusTextsFitTheStatusWindow) {
  ASSERT_EQ(file.lines.size(), static_cast<std::size_t>(kEntries));
  // The status label holds two short lines (213 x 29 pixels, bold).
  for (int error : {80, 109}) {
    std::string status = entry(file, 59) + " : " + entry(file, error) + " (Z:)";
    EXPECT_LE(status.size(), 64u) << status;
  }
  EXPECT_LE(entry(file, 61).size(), 64u);
  EXPECT_LE(entry(file, 60).size() + 3, 32u);  // first line of the summary
}

INSTANTIATE_TEST_SUITE_P(Both, LanguageFiles, ::testing::Values("langage_fr.txt", "langage_gb.txt"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(8, 2);
                         });

// The companion files of the program's own entries (200 to 499): the same form,
// and no entry written in one language only.
// Where the program starts with the session, each entry that names Windows
// reads an entry of the companion that says the same without naming it.
TEST_P(LanguageFiles, TheSessionWordingReplacesEveryMentionOfStartingWithWindows) {
  std::string more = GetParam();
  more.replace(more.size() - 4, 4, ".more.txt");
  const LanguageFile companion = load(more);
  for (const auto& [windows, session] : quilbert::app::kSessionWording) {
    EXPECT_NE(entry(file, windows).find("Windows"), std::string::npos) << windows;
    const std::string text = entry(companion, session - 200);
    EXPECT_FALSE(text.empty()) << session;
    EXPECT_EQ(text.find("Windows"), std::string::npos) << session;
  }
  // Where the store is the Credential Manager, its name instead of the keyring's.
  for (const auto& [keyring, windows] : quilbert::app::kCredentialManagerWording) {
    const std::string text = entry(companion, windows - 200);
    EXPECT_FALSE(entry(companion, keyring - 200).empty()) << keyring;
    EXPECT_TRUE(text.find("Credential Manager") != std::string::npos ||
                text.find("Gestionnaire d'identification") != std::string::npos)
        << windows << " " << text;
  }
  std::set<int> reworded;
  for (const auto& pair : quilbert::app::kSessionWording) reworded.insert(pair.first);
  for (int n : usedEntries()) {
    const std::string text = entry(file, n);
    // Only the start with Windows is reworded: the icons and the network
    // calls are Windows' own names.
    if (text.find("avec Windows") != std::string::npos ||
        text.find("with Windows") != std::string::npos ||
        text.find("session Windows") != std::string::npos ||
        text.find("on to Windows") != std::string::npos) {
      EXPECT_TRUE(reworded.count(n) != 0) << n << " " << text;
    }
  }
}

TEST(LanguageFilesTogether, CompanionsHaveEveryEntryInBothLanguages) {
  LanguageFile fr = load("langage_fr.more.txt");
  LanguageFile gb = load("langage_gb.more.txt");
  ASSERT_EQ(fr.lines.size(), 300U);
  ASSERT_EQ(gb.lines.size(), 300U);
  for (int n = 0; n < 300; ++n) {
    char label[5];
    std::snprintf(label, sizeof label, "%03d ", n + 200);
    for (const LanguageFile* f : {&fr, &gb}) {
      EXPECT_EQ(f->lines[static_cast<std::size_t>(n)].substr(0, 4), label) << f->name;
      for (unsigned char c : f->lines[static_cast<std::size_t>(n)])
        EXPECT_GE(c, 0x20) << f->name << " " << label;
    }
    EXPECT_EQ(entry(fr, n).empty(), entry(gb, n).empty()) << "entry " << n + 200;
  }
}

TEST(LanguageFilesTogether, EnglishIsATranslationNotACopy) {
  LanguageFile fr = load("langage_fr.txt");
  LanguageFile gb = load("langage_gb.txt");
  ASSERT_EQ(fr.lines.size(), static_cast<std::size_t>(kEntries));
  ASSERT_EQ(gb.lines.size(), static_cast<std::size_t>(kEntries));
  // Words both languages spell alike.
  const std::set<int> same = {1, 29, 179};
  int identical = 0;
  for (int n : usedEntries()) {
    if (!same.contains(n) && entry(fr, n) == entry(gb, n)) {
      ++identical;
      ADD_FAILURE() << "entry " << n << " is the same in both files: " << entry(fr, n);
    }
  }
  EXPECT_EQ(identical, 0);
  // The language menu names the same two languages in both files, in its own language.
  EXPECT_EQ(entry(fr, 11),
            "Fran\xE7"
            "ais");
  EXPECT_EQ(entry(gb, 10), "English");
}

}  // namespace
