// The configuration file as the program reads and writes it.
#include "app/config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/catalogue.h"
#include "app/text.h"
#include "config_fixture.h"
#include "support/test_program.h"

namespace quilbert::app {
namespace {

using testing::readFile;
using testing::TestProgram;
using testing::writeFile;
namespace fs = std::filesystem;

class ConfigTest : public ConfigFixture {};

TEST_F(ConfigTest, SettingsAndDriveFieldsAreTakenAsStored) {
  auto lines =
      TestProgram::config({{'B', "1\tB\tclaire\t" + *ScramblePassword("abc") + "\t\\\\SRV\\a\tb"}});
  lines[27] = "sony";
  lines[28] = "";
  p.writeConfig(lines);
  read();
  EXPECT_EQ(p.g->config.IconTheme, "sony");
  EXPECT_EQ(p.g->config.LanguageFile, "langage_fr.txt");
  EXPECT_EQ(entry('B').Password, "abc");
  EXPECT_EQ(entry('B').Path, "\\\\SRV\\a\tb");  // the path runs to the end of the line
  EXPECT_EQ(entry('B').Login, "claire");
  EXPECT_FALSE(p.g->config.ConfigCreated);
}

TEST_F(ConfigTest, ShortFilesGetDefaultEntriesAndBlankLinesKeepWhatWasThere) {
  auto lines = TestProgram::config({{'A', "1\tA\tx\t\t\\\\S\\a"}});
  lines.resize(20);
  lines[1] = "   ";
  p.writeConfig(lines);
  read();
  EXPECT_EQ(p.g->config.ConfigLines[21], "0\tU\t\t\t");
  EXPECT_EQ(entry('Z').Active, app::Activation::Off);
  EXPECT_EQ(entry('Z').Letter, 'Z');
  EXPECT_EQ(p.g->config.IniMarker, "ide");
  EXPECT_EQ(p.g->config.ResidentMode, "nres");
  EXPECT_EQ(entry('A').Path, "\\\\S\\a");
  // A blank line is not stored: at a first load that entry stays empty.
  EXPECT_EQ(p.g->config.ConfigLines[2], "");
  EXPECT_EQ(entry('B').Letter, ' ');
}

TEST_F(ConfigTest, ALineWithFewerThanFourTabsStaysUsable) {
  p.writeConfig(TestProgram::config({{'C', "1\tC\tclaire"}, {'D', "garbage"}}));
  read();
  EXPECT_EQ(entry('C').Active, app::Activation::On);
  EXPECT_EQ(entry('C').Login, "claire");
  EXPECT_EQ(entry('C').Password, "");
  EXPECT_EQ(entry('C').Path, "");
  EXPECT_EQ(static_cast<char>(entry('D').Active), 'g');
  EXPECT_EQ(entry('E').Letter, 'E');
}

TEST_F(ConfigTest, BadFilesNeverCrashAndLoseNothingThatCanBeKept) {
  const std::string good = "1\tA\tx\t\t\\\\S\\a\r\n";
  const std::vector<std::string> cases = {
      "",
      std::string("\0\x01\x02\xFF\xFE", 5) + "\r\n",
      good + std::string(10'000'000, 'x') + "\r\n",
      good +
          [] {
            std::string s;
            for (int i = 0; i < 10'000; ++i) s += "0\tB\t\t\t\r\n";
            return s;
          }(),
      "1\tA\tx\t\t\\\\S\\a\n0\tB\t\t\t\n",  // LF only
      std::string("1\tA\tx\t\t\\\\S\\a\0b\r\n", 17),
  };
  for (const auto& bytes : cases) {
    writeFile(p.configPath(), bytes);
    p.g->config.ConfigLines = {};
    read();
    if (bytes.rfind("1\tA", 0) == 0) {
      EXPECT_EQ(entry('A').Login, "x");
    }
    EXPECT_EQ(readFile(p.configPath()), bytes) << "reading never rewrites the file";
  }
}

TEST_F(ConfigTest, AFolderInPlaceOfTheFileIsLeftAlone) {
  fs::create_directories(p.configPath());
  read();
  EXPECT_TRUE(fs::is_directory(p.configPath()));
  EXPECT_EQ(entry('A').Active, app::Activation::Off);
}

TEST_F(ConfigTest, WritesAreAtomicAndRefuseWhatTheFormatCannotHold) {
  p.writeConfig(TestProgram::config({}));
  read();
  const std::string before = readFile(p.configPath());
  auto lines = p.g->config.ConfigLines;
  lines[3] = "1\tC\tx\t\t\\\\S\\a\nb";
  EXPECT_EQ(p.g->config.write(lines).message, kMsgValueNotStorable);
  lines[3] = "1\tC\tx\t\t\\\\S\\漢";
  EXPECT_EQ(p.g->config.write(lines).message, kMsgValueNotStorable);
  EXPECT_EQ(readFile(p.configPath()), before);
  EXPECT_TRUE(storeProblem("a\tb", DriveField::Login));
  EXPECT_TRUE(storeProblem("\x0C", DriveField::Password));  // stored as a tab
  EXPECT_FALSE(storeProblem("\\\\S\\a\tb", DriveField::Path));

  // A write that fails on the way keeps the old file and says so.
  lines[3] = "1\tC\tx\t\t\\\\S\\a";
  const auto out = [&] {
    testing::BlockedWrites blocked(p.configPath());
    return p.g->config.write(lines);
  }();
  EXPECT_EQ(out.message, kMsgConfigWriteFailed);
  EXPECT_FALSE(out.detail.empty());
  EXPECT_EQ(readFile(p.configPath()), before);
}

TEST(Catalogue, EntriesComeFromTheFifthCharacterOfTheirLine) {
  TestProgram p;
  p.g->places.LangDir = (p.dir.path() / "lang").string() + "/";
  p.g->config.LanguageFile = "x.txt";
  std::string bytes = "0000Titre\r\n001\r\n0002\xE9t\xE9\r\n";
  for (int k = 3; k < 150; ++k) bytes += "0000line " + std::to_string(k) + "\r\n";
  writeFile(p.dir.path() / "lang" / "x.txt", bytes);
  p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  EXPECT_EQ(p.g->texts.msg(0), "Titre");
  EXPECT_EQ(p.g->texts.msg(1), "");
  EXPECT_EQ(p.g->texts.msg(2), "été");
  EXPECT_EQ(p.g->texts.msg(149), "line 149");
  EXPECT_EQ(p.g->texts.msg(150), "");
  for (int k = 150; k < 260; ++k) bytes += "0000line " + std::to_string(k) + "\r\n";
  writeFile(p.dir.path() / "lang" / "x.txt", bytes);
  p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  EXPECT_EQ(p.g->texts.msg(199), "line 199");
  EXPECT_EQ(p.g->texts.msg(200), "");  // the 201st line is never read
  // The program's own entries come from the companion file only.
  writeFile(p.dir.path() / "lang" / "x.more.txt", "200 more\r\n201 \r\n");
  p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  EXPECT_EQ(p.g->texts.msg(200), "more");
  EXPECT_EQ(p.g->texts.msg(201), "");
  p.g->config.LanguageFile = "missing.txt";
  p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  EXPECT_EQ(p.g->texts.msg(0), "");
  EXPECT_EQ(p.g->texts.msg(200), "");
}

TEST(Catalogue, BadLanguageFilesGiveWhatTheyCanAndNeverCrash) {
  TestProgram p;
  p.g->places.LangDir = (p.dir.path() / "lang").string() + "/";
  p.g->config.LanguageFile = "x.txt";
  const auto load = [&](const std::string& bytes) {
    writeFile(p.dir.path() / "lang" / "x.txt", bytes);
    p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  };
  load(std::string("0000a\0b\r\n0001\xFF\xFE\x81\r\n", 17));
  EXPECT_EQ(p.g->texts.msg(0), std::string("a\0b", 3));
  EXPECT_EQ(p.g->texts.msg(1), "\u00FF\u00FE\u0081");  // every byte has a character
  load("0000first\n0001second\n");                     // no CR
  EXPECT_EQ(p.g->texts.msg(1), "second");
  load("0000" + std::string(10'000'000, 'x') + "\r\n0001next\r\n");
  EXPECT_EQ(p.g->texts.msg(0).size(), 10'000'000U);
  EXPECT_EQ(p.g->texts.msg(1), "next");
  std::string many;
  for (int k = 0; k < 10'000; ++k) many += "0000line " + std::to_string(k) + "\r\n";
  load(many);
  EXPECT_EQ(p.g->texts.msg(199), "line 199");
  load("");
  EXPECT_EQ(p.g->texts.msg(0), "");
  std::filesystem::create_directories(p.dir.path() / "lang" / "dir.txt");
  p.g->config.LanguageFile = "dir.txt";
  p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
  EXPECT_EQ(p.g->texts.msg(0), "");
}

// A line rebuilt from its entry (a password moved to or from the keyring)
// is the line as read, hand-edited fields included; a refused write changes
// nothing in memory, a written one is taken apart once.
TEST_F(ConfigTest, EntriesGiveBackTheirLineAndOnlyAWrittenFileChangesThem) {
  const std::string scrambled = *ScramblePassword("pé");
  const std::vector<std::pair<char, std::string>> odd = {
      {'B', "x\tB\tclaire\t" + scrambled + "\t\\\\SRV\\a"},  // a flag no window writes
      {'C', "1\t \t\t" + scrambled + "\t\\\\SRV\\b"},        // a blank letter
      {'D', "2\tÉ\tzoë\t\t\\\\SRV\\c\td"},  // a letter beyond ASCII, a tab in the path
  };
  p.writeConfig(TestProgram::config(odd));
  read();
  auto& config = p.g->config;
  for (const auto& [letter, line] : odd) {
    const DriveEntry& e = entry(letter);
    EXPECT_EQ(driveLine(e, *ScramblePassword(e.Password)), line) << letter;
  }
  const int parses = config.driveTableParses();
  ConfigFileLines lines = config.ConfigLines;
  lines[2] = "1\tB\tnew\t\t\\\\SRV\\a\r";
  EXPECT_EQ(config.write(lines).message, kMsgValueNotStorable);
  EXPECT_EQ(entry('B').Login, "claire");
  EXPECT_EQ(config.ConfigLines[2], odd[0].second);
  lines[2].pop_back();
  EXPECT_TRUE(config.write(lines).ok());
  EXPECT_EQ(entry('B').Login, "new");
  EXPECT_EQ(config.driveTableParses(), parses + 1);
}

}  // namespace
}  // namespace quilbert::app
