// The main window as a user meets it: rows, edits, save, cancel, quit.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::readFile;
using testing::TestProgram;

class MainWindowTest : public ::testing::Test {
 protected:
  void startWith(const std::vector<std::pair<char, std::string>>& drives,
                 const std::string& language = "langage_fr.txt") {
    p.writeConfig(TestProgram::config(drives, "nres", language));
    ASSERT_FALSE(p.start());
  }
  ConnectWindow& w() { return *p.main; }
  TestProgram p{"/qelvo"};
};

TEST_F(MainWindowTest, RowsAreBuiltOnceAndFilledWithCorrections) {
  startWith({{'E', "1\tE\tclaire\t" + *app::ScramblePassword("pw") + "\t"},
             {'F', "x\tF\t\t\t\\\\SRV\\docs"},
             {'G', "1\t \t\t\t\\\\SRV\\photos"}});
  ASSERT_EQ(w().rowCount(), 26);
  for (int i = 1; i <= 26; ++i) EXPECT_EQ(w().Cheminreseau(i).top(), 480 + 300 * (i - 1));
  EXPECT_EQ(w().Cheminreseau(26).top(), 7980);
  // A flag "1" with an empty path and an unknown flag become "0".
  EXPECT_EQ(w().lettreactive(5).value(), 0);
  EXPECT_EQ(p.g->config.DriveTable[5].Active, app::Activation::Off);
  EXPECT_EQ(w().lettreactive(6).value(), 0);
  EXPECT_EQ(p.g->config.DriveTable[6].Active, app::Activation::Off);
  // A blank letter shows the row's own.
  EXPECT_EQ(w().lettrereseau(7).caption(), "G:");
  EXPECT_EQ(w().lettreactive(7).value(), 1);
  EXPECT_EQ(w().nomuser.text(), "");  // entry A's login
  w().annulmodif_Click();
  EXPECT_EQ(w().rowCount(), 26);
}

TEST_F(MainWindowTest, AccessModesEnableTheBrowseButtonsAndTheReport) {
  startWith({{'E', "0\tE\t\t\t\\\\SRV\\docs"}});
  EXPECT_TRUE(w().Parcourir(1).enabled());
  EXPECT_EQ(w().Parcourir(5).picture(), w().ImageList3.image(2));
  EXPECT_EQ(w().Parcourir(6).picture(), w().ImageList3.image(1));
  EXPECT_FALSE(w().Parcourir(3).enabled());  // C is a local disk
  EXPECT_TRUE(w().menu("Rapport").enabled());
  TestProgram plain;
  plain.writeConfig(TestProgram::config({}));
  plain.start();
  EXPECT_FALSE(plain.main->Parcourir(1).enabled());
  EXPECT_EQ(plain.main->Parcourir(1).picture(), plain.main->ImageList3.image(3));
  EXPECT_FALSE(plain.main->menu("Rapport").enabled());
}

TEST_F(MainWindowTest, EditsMarkTheWindowChanged) {
  startWith({});
  EXPECT_FALSE(w().EntryModified);
  // A single space is text: the test button comes on and the box can be ticked.
  w().Cheminreseau(5).setText(" ");
  EXPECT_TRUE(w().Test(5).enabled());
  EXPECT_TRUE(w().EntryModified);
  w().lettreactive(5).userClick();
  EXPECT_EQ(w().lettreactive(5).value(), 1);
  // Ticking a row without a path beeps and stays unticked.
  const int beeps = p.tk.beeps();
  w().lettreactive(6).userClick();
  EXPECT_EQ(w().lettreactive(6).value(), 0);
  EXPECT_EQ(p.tk.beeps(), beeps + 1);
  // Emptying a path clears the box and disables its test.
  w().Cheminreseau(5).setText("");
  EXPECT_EQ(w().lettreactive(5).value(), 0);
  EXPECT_FALSE(w().Test(5).enabled());
  EXPECT_EQ(w().Parcourir(5).picture(), w().ImageList3.image(1));
}

TEST_F(MainWindowTest, EraseAllKeepsLocalDriveRows) {
  startWith({{'E', "1\tE\tclaire\t\t\\\\SRV\\docs"}});
  const std::string localC = w().Cheminreseau(3).text();
  p.answerDialog(kAnswerNo);
  w().effacer_Click();
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\SRV\\docs");
  p.answerDialog(kAnswerYes);
  w().effacer_Click();
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(51));
  EXPECT_EQ(w().Cheminreseau(5).text(), "");
  EXPECT_EQ(w().lettreactive(5).value(), 0);
  EXPECT_FALSE(w().Test(5).enabled());
  EXPECT_EQ(w().Cheminreseau(3).text(), localC);
  EXPECT_EQ(w().lettreactive(3).value(), 2);
  EXPECT_EQ(w().nomuser.text(), "");
  EXPECT_TRUE(w().EntryModified);
}

TEST_F(MainWindowTest, CancelRestoresFromTheFile) {
  startWith({{'E', "1\tE\tclaire\t" + *app::ScramblePassword("pw") + "\t\\\\SRV\\docs"}});
  w().Cheminreseau(5).setText("\\\\X\\y");
  w().nomuser.setText("bob");
  w().annulmodif_Click();
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\SRV\\docs");
  EXPECT_EQ(w().lettreactive(5).value(), 1);
  EXPECT_FALSE(w().EntryModified);
}

TEST_F(MainWindowTest, SaveWritesOneLoginAndPasswordOnEveryLine) {
  startWith({{'E', "0\tE\t\t\t\\\\SRV\\docs"}});
  w().nomuser.setText(" claire ");
  w().password.setText("  abc ");
  w().Cheminreseau(6).setText(" \\\\SRV\\photos ");
  w().lettreactive(6).userClick();
  w().modif_Click();
  const auto lines = p.configLines();
  ASSERT_EQ(lines.size(), 30U);
  const std::string stored = *app::ScramblePassword("abc");
  EXPECT_EQ(lines[0], "0\tA\tclaire\t" + stored + "\t");
  EXPECT_EQ(lines[2].substr(0, 2), "2\t");  // C, a local disk, greyed
  EXPECT_EQ(lines[4], "0\tE\tclaire\t" + stored + "\t\\\\SRV\\docs");
  EXPECT_EQ(lines[5], "1\tF\tclaire\t" + stored + "\t\\\\SRV\\photos");
  EXPECT_EQ(lines[26], "ide");
  // Reloaded: the window shows what was saved, and nothing is left unsaved.
  EXPECT_EQ(w().nomuser.text(), "claire");
  EXPECT_EQ(w().password.text(), "abc");
  EXPECT_FALSE(w().EntryModified);
}

TEST_F(MainWindowTest, SaveRefusesWhatTheFileCannotHoldNamingEveryFieldAtOnce) {
  startWith({});
  const std::string before = readFile(p.configPath());
  // One message names every field and row, each with the position; a
  // password's character is never shown. In the user's language, every word.
  struct Case {
    std::string login, password, pathF, pathL, said;
  };
  for (const Case& c : {
           Case{"a\tb", "x\x07", "\\\\SRV\\\xE6\xBC\xA2", "\\\\S\\\xD0\xB4",
                "Login (nom), caractère 2 U+0009 : une tabulation\r\n"
                "Mot de passe, caractère 2 : il deviendrait une tabulation ou un saut de ligne "
                "une fois brouillé\r\n"
                "Chemin de la ligne F, caractère 7 \"\xE6\xBC\xA2\" : absent du jeu de "
                "caractères Windows-1252\r\n"
                "Chemin de la ligne L, caractère 5 \"\xD0\xB4\" : absent du jeu de caractères "
                "Windows-1252"},
           Case{"a", "p\xC5\x91", "", "",
                "Mot de passe, caractère 2 : absent du jeu de caractères Windows-1252"},
       }) {
    w().nomuser.setText(c.login);
    w().password.setText(c.password);
    w().Cheminreseau(6).setText(c.pathF);
    w().Cheminreseau(12).setText(c.pathL);
    p.answerDialog(kAnswerOk);
    w().modif_Click();
    EXPECT_EQ(readFile(p.configPath()), before);
    EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(app::kMsgValueNotStorable) + "\r\n" + c.said);
    EXPECT_EQ(w().nomuser.text(), c.login);  // the edit is still there to fix
    EXPECT_TRUE(w().EntryModified);
  }
}

TEST_F(MainWindowTest, APathTheNetworkCallsCannotCarryIsNamedOnTestAndRefusedAtSave) {
  // Latin-1 calls, as a Western Windows's ANSI ones: "é" goes, "д" does not.
  p.network->setHighestCarried(0xFF);
  startWith({});
  const std::string path = "\\\\SRV\\\xD0\xB4ocs\xC3\xA9\xD0\xB4";
  const std::string words = p.g->texts.msg(app::kMsgNotCarried, {"\xD0\xB4"});
  w().Cheminreseau(6).setText(path);
  p.answerDialog(kAnswerOk);
  w().Test_Click(6);
  EXPECT_EQ(p.dialogTexts.back(), words + "\r\n(F: " + path + ")");
  p.answerDialog(kAnswerOk);
  w().modif_Click();
  EXPECT_EQ(p.dialogTexts.back(),
            p.g->texts.msg(app::kMsgValueNotStorable) + "\r\nChemin de la ligne F : " + words);
}

TEST_F(MainWindowTest, EveryTypablePasswordCharacterIsSavedAndReadBack) {
  startWith({});
  // Every printable Windows-1252 character at an odd and at an even place:
  // scrambled, a y with acute accent at an even place is stored as code 0.
  std::string codes = "x";
  for (int b = 0x20; b <= 0xFF; ++b) {
    if (b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) {
      codes += static_cast<char>(b);
    }
  }
  codes += "y" + codes.substr(1) + "x";  // the second time one place further
  const std::string typed = app::cp1252ToUtf8(codes);
  w().password.setText(typed);
  w().modif_Click();  // no dialog
  EXPECT_EQ(w().password.text(), typed) << "reloaded from the file";
  const auto stored = *app::ScramblePassword(typed);
  EXPECT_NE(stored.find('\0'), std::string::npos);
  EXPECT_EQ(p.configLines()[0], "0\tA\t\t" + stored + "\t");
}

TEST_F(MainWindowTest, QuittingAsksOnlyAboutUnsavedChanges) {
  startWith({});
  w().Cheminreseau(5).setText("\\\\SRV\\docs");
  const std::string before = readFile(p.configPath());
  p.answerDialog(kAnswerCancel);
  EXPECT_FALSE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(189));
  EXPECT_TRUE(w().visible());
  p.answerDialog(kAnswerNo);
  EXPECT_TRUE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_EQ(readFile(p.configPath()), before);
  EXPECT_EQ(p.tk.trayIcons().count(1), 0U);
}

TEST_F(MainWindowTest, QuitWithYesSavesOnceWithoutReloading) {
  startWith({});
  w().Cheminreseau(5).setText("\\\\SRV\\docs");
  p.answerDialog(kAnswerYes);
  const auto shownBefore = p.tk.shownForms().size();
  EXPECT_TRUE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_EQ(p.configLines()[4], "0\tE\t\t\t\\\\SRV\\docs");
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\SRV\\docs");
  EXPECT_EQ(p.tk.shownForms().size(), shownBefore + 1);  // only the question
}

TEST_F(MainWindowTest, QuitWithYesWhoseSaveIsRefusedKeepsTheEdits) {
  startWith({});
  w().nomuser.setText("a\tb");
  p.answerDialog(kAnswerYes);
  p.answerDialog(kAnswerOk);  // the save says why it cannot write
  EXPECT_FALSE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().nomuser.text(), "a\tb");
  EXPECT_FALSE(w().Quitting);
}

TEST_F(MainWindowTest, WithoutALanguageFileDetectionClearsNoPath) {
  // A path shorter than five characters matches an empty marker.
  auto lines = TestProgram::config({{'E', "0\tE\t\t\t\\\\ab"}});
  lines[28] = "missing.txt";
  p.writeConfig(lines);
  ASSERT_FALSE(p.start());
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\ab");
  // Every type text is empty then: the local drives C and D are still marked.
  for (int row : {3, 4}) {
    EXPECT_EQ(w().lettreactive(row).value(), 2) << row;
    EXPECT_FALSE(w().lettreactive(row).enabled()) << row;
    EXPECT_FALSE(w().Test(row).enabled()) << row;
  }
  EXPECT_EQ(w().lettreactive(5).value(), 0);
  EXPECT_TRUE(w().lettreactive(5).enabled());
}

TEST_F(MainWindowTest, QuitRightAfterSavingAsksNothing) {
  startWith({});
  w().Cheminreseau(5).setText("\\\\SRV\\docs");
  w().modif_Click();
  EXPECT_TRUE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_TRUE(p.dialogTexts.empty());
}

// Each item of the menu bar reaches its command: the window wires them by name.
TEST_F(MainWindowTest, EveryMenuItemReachesItsCommand) {
  startWith({{'F', "1\tF\t\t\t\\\\SRV\\docs"}});
  std::vector<bool> chooserSaves;
  p.tk.setFileChooser([&](const std::string&, bool save) -> std::optional<std::string> {
    chooserSaves.push_back(save);
    return std::nullopt;
  });
  struct Case {
    const char* item;
    int statuses;  // the status windows it shows
    std::function<bool()> done;
  };
  const Case cases[] = {
      {"menu_connectall", 1, [&] { return p.connectedTo('F') == "\\\\SRV\\docs"; }},
      {"menu_deconnectall", 1, [&] { return p.connectedTo('F').empty(); }},
      {"menu_import", 0, [&] { return chooserSaves == std::vector<bool>{false}; }},
      {"menu_export", 0,
       [&] {
         return chooserSaves == std::vector<bool>{false, true};
       }},
  };
  for (const Case& c : cases) {
    p.recordStatuses(c.statuses);
    w().menu(c.item).click();
    EXPECT_TRUE(c.done()) << c.item;
  }
  EXPECT_TRUE(p.endsProcess([&] { w().menu("menu_quitter").click(); }));
}

}  // namespace
}  // namespace quilbert::ui
