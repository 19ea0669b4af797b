// Start-up and the automatic run, seen from outside: files, connections,
// dialogs and status windows.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/registry_routines.h"
#include "app/text.h"
#include "platform/paths.h"
#include "support/test_program.h"

namespace quilbert::app {
namespace {

using testing::readFile;
using testing::TestProgram;
namespace fs = std::filesystem;

TEST(Startup, FirstStartWritesTheDefaultFileForTheUserAndOpensTheWindow) {
  TestProgram p("/a");
  EXPECT_FALSE(p.start());
  const auto lines = p.configLines();
  ASSERT_EQ(lines.size(), 30U);
  EXPECT_EQ(lines[0], "0\tA\t\t\t");
  EXPECT_EQ(lines[25], "0\tZ\t\t\t");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 26, lines.end()),
            (std::vector<std::string>{"ide", "windows", "langage_fr.txt", "nres"}));
  EXPECT_EQ(readFile(p.configPath()).substr(0, 8), "0\tA\t\t\t\r\n");
  EXPECT_TRUE(testing::readableByOwnerOnly(p.configPath()));
  // "/a" on a first start connects nothing: the window opens for set-up.
  EXPECT_TRUE(p.main->visible());
  EXPECT_EQ(p.g->state.AutoRunState, ui::AutoRunDue::Undecided);
  EXPECT_TRUE(p.statuses.empty());
}

// A first start on an English system speaks English; a file that exists
// keeps its language whatever the system's.
TEST(Startup, AFirstStartTakesTheSystemsLanguageWhenItIsEnglish) {
  for (const bool existing : {false, true}) {
    TestProgram p;
    p.process->language = "en";
    if (existing) p.writeConfig(TestProgram::config({}));
    EXPECT_FALSE(p.start());
    EXPECT_EQ(p.configLines().at(28), existing ? "langage_fr.txt" : "langage_gb.txt");
    EXPECT_EQ(p.main->caption(), p.g->texts.msg(0)) << existing;
    EXPECT_EQ(p.main->menu("langue", 0).checked(), !existing);
  }
}

TEST(Startup, AutomaticRunConnectsTheActiveEntriesAndEnds) {
  TestProgram p("/a");
  p.writeConfig(TestProgram::config({
      {'E', TestProgram::driveLine("1", 'E', " claire ", "secret", " \\\\SRV\\photos ")},
      {'F', TestProgram::driveLine("1", 'F', "", "", "\\\\SRV\\docs")},
      {'G', TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\nothere")},
      {'H', TestProgram::driveLine("0", 'H', "", "", "\\\\SRV\\docs")},
  }));
  p.recordStatuses(2);
  EXPECT_TRUE(p.start());
  ASSERT_EQ(p.statuses.size(), 2U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(59) + " : " + p.g->texts.msg(80) + " (G:)");
  EXPECT_EQ(p.statuses[0].shownMs, 2000);
  // The end status names each letter left unconnected, and stays to be read.
  EXPECT_EQ(p.statuses[1].text, p.g->texts.msg(60) + " : \r\n2/3\r\nG: " + p.g->texts.msg(80));
  EXPECT_EQ(p.statuses[1].shownMs, 5000);
  EXPECT_EQ(p.connectedTo('E'), "\\\\SRV\\photos");
  EXPECT_EQ(p.connectedTo('F'), "\\\\SRV\\docs");
  EXPECT_EQ(p.connectedTo('H'), "");
  // Log-on scripts see every status on one line each, and never a password.
  const std::string log = p.statusLog.str();
  EXPECT_NE(log.find(p.g->texts.msg(60) + " : 2/3\nG: " + p.g->texts.msg(80) + "\n"),
            std::string::npos);
  EXPECT_EQ(log.find("secret"), std::string::npos);
}

TEST(Startup, AutomaticRunSkipsAnActiveEntryWithoutAPath) {
  TestProgram p("/a");
  auto lines =
      TestProgram::config({{'F', TestProgram::driveLine("1", 'F', "", "", "\\\\SRV\\docs")}});
  lines[0] = "1";              // active, nothing else: no tab at all
  lines[1] = "1\tB\t\t\t   ";  // active with a blank path
  p.writeConfig(lines);
  p.recordStatuses(1);
  EXPECT_TRUE(p.start());
  ASSERT_EQ(p.statuses.size(), 1U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(60) + " : \r\n1/1");
  EXPECT_EQ(p.connectedTo('F'), "\\\\SRV\\docs");
}

TEST(Startup, AutomaticRunWithNothingActiveShowsNoneOfNone) {
  TestProgram p("/a");
  p.writeConfig(TestProgram::config({}));
  p.recordStatuses(1);
  EXPECT_TRUE(p.start());
  ASSERT_EQ(p.statuses.size(), 1U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(60) + " : \r\n0/0");
}

TEST(Startup, AutomaticRunReportsALetterInUseInItsEndStatusAndStaysResident) {
  TestProgram p("/a");
  // C is a local disk: the letter is in use.
  p.writeConfig(TestProgram::config(
      {{'C', TestProgram::driveLine("1", 'C', "", "", "\\\\SRV\\docs")},
       {'F', TestProgram::driveLine("1", 'F', "claire", "wrong", "\\\\SRV\\photos")}},
      "ores"));
  p.recordStatuses(1);
  EXPECT_FALSE(p.start());  // no box: nobody may be at the machine
  // Neither the letter in use nor a wrong password gets a dialog in the
  // automatic run: the end status says both.
  EXPECT_EQ(p.statuses.back().text, p.g->texts.msg(60) + " : \r\n0/2\r\nC: " + p.g->texts.msg(101) +
                                        "\r\nF: " + p.g->texts.msg(102));
  // Resident: the program goes on, hidden behind its icon.
  EXPECT_FALSE(p.main->visible());
  EXPECT_EQ(p.main->menu("menu_agrandir").caption(), p.g->texts.msg(163));
  EXPECT_EQ(p.tk.trayIcons().count(1), 1U);
  // The next filling shows the window and does not run again.
  p.main->annulmodif_Click();
  EXPECT_TRUE(p.main->visible());
  EXPECT_EQ(p.statuses.size(), 1U);
}

TEST(Startup, OnlyTheExactAutomaticArgumentRunsTheAutomaticMode) {
  for (const char* arg : {"/A", "/a ", "/qelvo"}) {
    TestProgram p(arg);
    p.writeConfig(
        TestProgram::config({{'F', TestProgram::driveLine("1", 'F', "", "", "\\\\SRV\\docs")}}));
    EXPECT_FALSE(p.start()) << arg;
    EXPECT_EQ(p.connectedTo('F'), "") << arg;
    EXPECT_TRUE(p.main->visible()) << arg;
    EXPECT_EQ(p.main->AccessMode,
              std::string(arg) == "/qelvo" ? ui::Access::Administrator : ui::Access::Standard);
  }
}

TEST(Startup, ASecondInstanceEndsWithoutDoingAnything) {
  TestProgram first;
  first.writeConfig(TestProgram::config({}));
  ASSERT_FALSE(first.start());
  TestProgram second;
  second.windows.reset();
  second.main.reset();
  second.process = std::make_unique<testing::TestProcess>("", second.appDir.string() + "/",
                                                          (first.dir.path() / "run").string());
  second.svc = std::make_unique<Services>(
      Services{*second.network, *second.network, *second.registry, *second.process});
  second.g = std::make_unique<ui::ProgramState>(second.tk, *second.svc);
  second.main = std::make_unique<ui::ConnectWindow>(second.g->program);
  second.windows = std::make_unique<ui::ProgramWindows>(second.g->program, *second.main);
  EXPECT_TRUE(second.start());
  EXPECT_FALSE(fs::exists(second.configPath()));
  EXPECT_TRUE(second.tk.shownForms().empty());
}

TEST(Startup, UserNameWithForbiddenCharactersNamesAFileInTheSettingsFolder) {
  auto spec = testing::smallNetwork();
  spec.user = "MAISON\\Claire";
  TestProgram p("", spec);
  p.start();
  EXPECT_EQ(p.g->places.ConfigFileName, "maison_claire.ini");
  EXPECT_TRUE(fs::exists(p.settingsDir / "maison_claire.ini"));
}

// Windows reads a narrow path in the ANSI code page: every path must be built
// from UTF-8 for such a folder to work there.
TEST(Startup, ASettingsFolderNamedBeyondAsciiHoldsTheConfiguration) {
  TestProgram p;
  const char sep = separator();
  const std::string folder = platform::utf8FromPath(p.dir.path()) + sep + "Données 漢字";
  fs::create_directories(platform::pathFromUtf8(folder));
  platform::RegKey key = 0;
  ASSERT_EQ(p.registry->openKey(platform::kHkeyCurrentUser, kShellFoldersKey,
                                platform::kKeyAllAccess, key),
            0);
  ASSERT_EQ(p.registry->setValue(key, "Local Settings", platform::kRegSz, folder + '\0'), 0);
  p.registry->closeKey(key);
  p.settingsDir = platform::pathFromUtf8(folder);
  auto lines = TestProgram::config({});
  lines[27] = "sony";
  p.writeConfig(lines);
  ASSERT_FALSE(p.start());
  EXPECT_EQ(p.g->config.IconTheme, "sony");
  p.main->menu("icone", 3).click();
  EXPECT_EQ(p.configLines()[27], "beos");
}

// Without "Local Settings", a configuration beside the program stays in use.
TEST(Startup, AConfigurationBesideTheProgramStaysInUse) {
  TestProgram p;
  ASSERT_EQ(SetKeyValue(*p.registry, platform::kHkeyCurrentUser, kShellFoldersKey, "Local Settings",
                        std::string(), platform::kRegSz),
            0);
  p.settingsDir = p.appDir;
  p.writeConfig(TestProgram::config({}, "ores"));
  ASSERT_FALSE(p.start());
  EXPECT_EQ(p.g->config.ResidentMode, "ores");
}

TEST(Startup, NoNetworkUserGivesConnectIni) {
  auto spec = testing::smallNetwork();
  spec.present = false;
  TestProgram p("", spec);
  p.start();
  EXPECT_EQ(p.g->places.ConfigFileName, "connect.ini");
}

}  // namespace
}  // namespace quilbert::app
