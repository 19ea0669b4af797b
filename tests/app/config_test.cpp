// The configuration file as the program reads and writes it.
#include "app/config.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/catalogue.h"
#include "app/text.h"
#include "platform/linux/linux_test_support.h"
#include "support/test_program.h"
#include "ui/common/dialog.h"

namespace quilbert::app {
namespace {

using testing::readFile;
using testing::TestProgram;
using testing::writeFile;
namespace fs = std::filesystem;

template <class F>
auto withFileSizeLimit(rlim_t bytes, F f) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &small);
  auto result = f();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  return result;
}

class ConfigTest : public ::testing::Test {
 protected:
  // Folders set as Form_Load sets them, then the file read.
  void read() {
    p.g->SettingsDir = p.settingsDir.string() + "/";
    p.g->ConfigFileName = "claire.ini";
    ReadConfiguration(*p.g);
    TakeApartDriveLines(*p.g);
  }
  const DriveEntry& entry(char letter) {
    return p.g->DriveTable[static_cast<std::size_t>(letter - 'A' + 1)];
  }
  TestProgram p;
};

TEST_F(ConfigTest, SettingsAndDriveFieldsAreTakenAsStored) {
  auto lines =
      TestProgram::config({{'B', "1\tB\tclaire\t" + *ScramblePassword("abc") + "\t\\\\SRV\\a\tb"}});
  lines[27] = "sony";
  lines[28] = "";
  p.writeConfig(lines);
  read();
  EXPECT_EQ(p.g->IconTheme, "sony");
  EXPECT_EQ(p.g->LanguageFile, "langage_fr.txt");
  EXPECT_EQ(entry('B').Password, "abc");
  EXPECT_EQ(entry('B').Path, "\\\\SRV\\a\tb");  // the path runs to the end of the line
  EXPECT_EQ(entry('B').Login, "claire");
  EXPECT_FALSE(p.g->ConfigCreated);
}

TEST_F(ConfigTest, ShortFilesGetDefaultEntriesAndBlankLinesKeepWhatWasThere) {
  auto lines = TestProgram::config({{'A', "1\tA\tx\t\t\\\\S\\a"}});
  lines.resize(20);
  lines[1] = "   ";
  p.writeConfig(lines);
  read();
  EXPECT_EQ(p.g->ConfigLines[21], "0\tU\t\t\t");
  EXPECT_EQ(entry('Z').Active, "0");
  EXPECT_EQ(entry('Z').Letter, "Z");
  EXPECT_EQ(p.g->IniMarker, "ide");
  EXPECT_EQ(p.g->ResidentMode, "nres");
  EXPECT_EQ(entry('A').Path, "\\\\S\\a");
  // A blank line is not stored: at a first load that entry stays empty.
  EXPECT_EQ(p.g->ConfigLines[2], "");
  EXPECT_EQ(entry('B').Letter, " ");
}

TEST_F(ConfigTest, ALineWithFewerThanFourTabsStaysUsable) {
  p.writeConfig(TestProgram::config({{'C', "1\tC\tclaire"}, {'D', "garbage"}}));
  read();
  EXPECT_EQ(entry('C').Active, "1");
  EXPECT_EQ(entry('C').Login, "claire");
  EXPECT_EQ(entry('C').Password, "");
  EXPECT_EQ(entry('C').Path, "");
  EXPECT_EQ(entry('D').Active, "g");
  EXPECT_EQ(entry('E').Letter, "E");
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
    p.g->ConfigLines = {};
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
  EXPECT_EQ(entry('A').Active, "0");
}

TEST_F(ConfigTest, AnUnreadableFileIsSaidAtStartAndNeverWrittenOver) {
  p.writeConfig(TestProgram::config({{'A', "1\tA\tx\t\t\\\\S\\a"}}));
  const std::string before = readFile(p.configPath());
  fs::permissions(p.configPath(), fs::perms::none);
  // The program runs as a user the file's mode applies to: root reads
  // anything, so as root the whole program becomes "nobody" in a child.
  constexpr uid_t kNobody = 65534;
  if (::geteuid() == 0) {
    for (const auto& e : fs::recursive_directory_iterator(p.dir.path())) {
      ASSERT_EQ(::lchown(e.path().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::lchown(p.dir.path().c_str(), kNobody, kNobody), 0);
  }
  const std::string said = platform::testing::runInChild([&] {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      return std::string("could not become nobody");
    }
    if (std::ifstream(p.configPath()).good()) return std::string("the file is readable");
    std::string wrong;
    auto expect = [&](bool ok, const std::string& what) {
      if (!ok) wrong += what + "; ";
    };
    try {
      p.answerDialog(ui::kAnswerOk);
      expect(!p.start(), "start ended the process");
      const std::string told =
          p.g->msg(kMsgConfigUnreadable) + "\r\n(" + p.configPath().string() + ")";
      expect(!p.g->msg(kMsgConfigUnreadable).empty() && p.dialogTexts == std::vector{told},
             "no dialog at start");
      // A theme change, a language change and a save are all refused and said.
      p.answerDialog(ui::kAnswerOk);
      p.main->menu("icone", 2).click();
      p.answerDialog(ui::kAnswerOk);
      p.main->langue_Click(0);
      p.main->nomuser.setText("claire");
      p.answerDialog(ui::kAnswerOk);
      p.main->modif_Click();
      expect(p.dialogTexts == std::vector(4, told), "writes not refused with the message");
      expect(p.main->menu("icone", 1).checked() && !p.main->menu("icone", 2).checked(),
             "the theme tick moved");
      expect(p.main->menu("langue", 1).checked(), "the language tick moved");
    } catch (const std::exception& e) {
      wrong += std::string("exception ") + e.what();
    }
    return wrong.empty() ? std::string("done") : wrong;
  });
  fs::permissions(p.configPath(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(said, "done");
  EXPECT_EQ(readFile(p.configPath()), before);
  // Once it can be read, writes go through again.
  read();
  EXPECT_EQ(entry('A').Login, "x");
  EXPECT_TRUE(WriteConfiguration(*p.g, p.g->ConfigLines).ok());
}

TEST_F(ConfigTest, WritesAreAtomicAndRefuseWhatTheFormatCannotHold) {
  p.writeConfig(TestProgram::config({}));
  read();
  const std::string before = readFile(p.configPath());
  auto lines = p.g->ConfigLines;
  lines[3] = "1\tC\tx\t\t\\\\S\\a\nb";
  EXPECT_EQ(WriteConfiguration(*p.g, lines).message, kMsgValueNotStorable);
  lines[3] = "1\tC\tx\t\t\\\\S\\漢";
  EXPECT_EQ(WriteConfiguration(*p.g, lines).message, kMsgValueNotStorable);
  EXPECT_EQ(readFile(p.configPath()), before);
  EXPECT_EQ(checkDriveFields("a\tb", "", "").message, kMsgValueNotStorable);
  EXPECT_EQ(checkDriveFields("a", "\x0C", "").message, kMsgValueNotStorable);  // stored as a tab
  EXPECT_TRUE(checkDriveFields("a", "b", "\\\\S\\a\tb").ok());

  // A disk that fills up in the middle of the write keeps the old file and
  // says so (a file-size limit stands in for the full disk).
  lines[3] = "1\tC\tx\t\t\\\\S\\a";
  const auto out = withFileSizeLimit(16, [&] { return WriteConfiguration(*p.g, lines); });
  EXPECT_EQ(out.message, kMsgConfigWriteFailed);
  EXPECT_FALSE(out.detail.empty());
  EXPECT_EQ(readFile(p.configPath()), before);
}

TEST(Catalogue, EntriesComeFromTheFifthCharacterOfTheirLine) {
  TestProgram p;
  p.g->LangDir = (p.dir.path() / "lang").string() + "/";
  p.g->LanguageFile = "x.txt";
  std::string bytes = "0000Titre\r\n001\r\n0002\xE9t\xE9\r\n";
  for (int k = 3; k < 150; ++k) bytes += "0000line " + std::to_string(k) + "\r\n";
  writeFile(p.dir.path() / "lang" / "x.txt", bytes);
  LoadCatalogue(*p.g);
  EXPECT_EQ(p.g->msg(0), "Titre");
  EXPECT_EQ(p.g->msg(1), "");
  EXPECT_EQ(p.g->msg(2), "été");
  EXPECT_EQ(p.g->msg(149), "line 149");
  EXPECT_EQ(p.g->msg(150), "");
  for (int k = 150; k < 260; ++k) bytes += "0000line " + std::to_string(k) + "\r\n";
  writeFile(p.dir.path() / "lang" / "x.txt", bytes);
  LoadCatalogue(*p.g);
  EXPECT_EQ(p.g->msg(199), "line 199");
  p.g->LanguageFile = "missing.txt";
  LoadCatalogue(*p.g);
  EXPECT_EQ(p.g->msg(0), "");
}

TEST(Catalogue, BadLanguageFilesGiveWhatTheyCanAndNeverCrash) {
  TestProgram p;
  p.g->LangDir = (p.dir.path() / "lang").string() + "/";
  p.g->LanguageFile = "x.txt";
  const auto load = [&](const std::string& bytes) {
    writeFile(p.dir.path() / "lang" / "x.txt", bytes);
    LoadCatalogue(*p.g);
  };
  load(std::string("0000a\0b\r\n0001\xFF\xFE\x81\r\n", 17));
  EXPECT_EQ(p.g->msg(0), std::string("a\0b", 3));
  EXPECT_EQ(p.g->msg(1), "\u00FF\u00FE\u0081");  // every byte has a character
  load("0000first\n0001second\n");               // no CR
  EXPECT_EQ(p.g->msg(1), "second");
  load("0000" + std::string(10'000'000, 'x') + "\r\n0001next\r\n");
  EXPECT_EQ(p.g->msg(0).size(), 10'000'000U);
  EXPECT_EQ(p.g->msg(1), "next");
  std::string many;
  for (int k = 0; k < 10'000; ++k) many += "0000line " + std::to_string(k) + "\r\n";
  load(many);
  EXPECT_EQ(p.g->msg(199), "line 199");
  load("");
  EXPECT_EQ(p.g->msg(0), "");
  std::filesystem::create_directories(p.dir.path() / "lang" / "dir.txt");
  p.g->LanguageFile = "dir.txt";
  LoadCatalogue(*p.g);
  EXPECT_EQ(p.g->msg(0), "");
}

}  // namespace
}  // namespace quilbert::app
