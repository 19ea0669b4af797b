// Connect, disconnect, test and browse from the main window, on the
// simulated network.
#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "app/config.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

class CommandsTest : public ::testing::Test {
 protected:
  void startWith(const std::vector<std::pair<char, std::string>>& drives) {
    p.writeConfig(TestProgram::config(drives));
    ASSERT_FALSE(p.start());
  }
  ConnectWindow& w() { return *p.main; }
  static std::string line(char letter, const std::string& path, const std::string& active = "1") {
    return TestProgram::driveLine(active, letter, "", "", path);
  }
  TestProgram p{"/qelvo"};
};

TEST_F(CommandsTest, ConnectPassWithNothingActiveCancelsEveryLetter) {
  // A connection made outside the program is dropped too.
  platform::NetResource r;
  r.localName = "M:";
  r.remoteName = "\\\\SRV\\docs";
  ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
  startWith({});
  p.recordStatuses(1);
  w().connection_Click();
  EXPECT_EQ(p.connectedTo('M'), "");
  ASSERT_EQ(p.statuses.size(), 1U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(60) + " : \r\n0/0");
  EXPECT_EQ(p.statuses[0].shownMs, 1000);
}

TEST_F(CommandsTest, ConnectPassReportsEachFailureItsOwnWay) {
  startWith({{'E', line('E', "\\\\SRV\\docs")},
             {'F', line('F', "\\\\OFF\\data")},
             {'G', line('G', "\\\\SRV\\photos")},
             {'I', line('I', "\\\\SRV\\photos")}});
  // C is a local disk: ticking its row is impossible, so take a letter held
  // by another connection that the pass cannot drop (open files).
  platform::NetResource busy;
  busy.localName = "B:";
  busy.remoteName = "\\\\SRV\\busy";
  ASSERT_EQ(p.network->addConnection(busy, "", "", 0), 0);
  w().Cheminreseau(2).setText("\\\\SRV\\docs");
  w().lettreactive(2).userClick();
  w().nomuser.setText(" claire ");
  w().password.setText("nope");
  p.answerDialog(kAnswerOk);  // B: in use: message 53
  p.recordStatuses(1);        // F unreachable: a timed status
  p.answerDialog(kAnswerOk);  // G: wrong password: a dialog
  p.answerDialog(kAnswerOk);  // I: the refused login is not offered again
  p.recordStatuses(1);        // the summary
  const int before = p.network->callCount(sim::Call::AddConnection);
  w().connection_Click();
  EXPECT_EQ(p.network->callCount(sim::Call::AddConnection) - before, 4) << "I is not tried";
  ASSERT_EQ(p.statuses.size(), 2U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(59) + " : " + p.g->texts.msg(109) + " (F:)");
  EXPECT_EQ(p.statuses[0].shownMs, 2000);
  ASSERT_EQ(p.dialogTexts.size(), 3U);
  EXPECT_EQ(p.dialogTexts[0], p.g->texts.msg(53) + "\r\n(B: \\\\SRV\\docs)");
  EXPECT_EQ(p.dialogTexts[1], p.g->texts.msg(102) + "\r\n(G: \\\\SRV\\photos)");
  EXPECT_EQ(p.dialogTexts[2], p.g->texts.msg(app::kMsgNewPasswordNeeded) + " G: I:");
  EXPECT_EQ(p.statuses[1].text, p.g->texts.msg(60) + " : \r\n1/5");
  EXPECT_EQ(p.connectedTo('E'), "\\\\SRV\\docs");
  EXPECT_EQ(p.tk.mousePointer(), forms::MousePointer::Arrow);
}

TEST_F(CommandsTest, DisconnectPassIsSilentForFreeLettersAndReportsOpenFiles) {
  startWith({{'E', line('E', "\\\\SRV\\busy")}});
  platform::NetResource r;
  r.localName = "E:";
  r.remoteName = "\\\\SRV\\busy";
  ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
  p.answerDialog(kAnswerOk);
  p.recordStatuses(1);
  w().disconnect_Click();
  ASSERT_EQ(p.dialogTexts.size(), 1U);
  EXPECT_EQ(p.dialogTexts[0], p.g->texts.msg(83) + "\r\n(E: \\\\SRV\\busy)");
  EXPECT_EQ(p.statuses.back().text, p.g->texts.msg(61));
  EXPECT_EQ(p.connectedTo('E'), "\\\\SRV\\busy");
}

TEST_F(CommandsTest, TestButtonReportsAndLeavesNothingMapped) {
  startWith({{'E', line('E', "\\\\SRV\\photos", "0")}, {'F', line('F', "\\\\SRV\\docs", "0")}});
  EXPECT_FALSE(w().EntryModified);
  p.answerDialog(kAnswerOk);
  w().Test_Click(6);
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(55));
  EXPECT_EQ(p.connectedTo('F'), "");
  EXPECT_TRUE(w().EntryModified);
  EXPECT_TRUE(w().modif.enabled() && w().annulmodif.enabled());
  // A wrong password: its own sentence, then the focus in the password box.
  w().nomuser.setText("claire");
  w().password.setText("nope");
  p.answerDialog(kAnswerOk);
  w().Test_Click(5);
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(56) + "\r\n(E: \\\\SRV\\photos)");
  EXPECT_TRUE(w().password.hasFocus());
  // A local disk's letter: the add fails with 85 and the general sentence shows.
  w().Cheminreseau(4).setEnabled(true);
  p.answerDialog(kAnswerOk);
  w().Test_Click(3);
  EXPECT_EQ(p.dialogTexts.back().substr(0, p.g->texts.msg(101).size()), p.g->texts.msg(101));
}

TEST_F(CommandsTest, TestFreesTheLetterItConnectedEvenWhenTheLineNamesAnother) {
  // A hand-edited line of row E stores the letter Q: the test maps Q.
  startWith({{'E', "0\tQ\t\t\t\\\\SRV\\docs"}});
  platform::NetResource r;
  r.localName = "E:";
  r.remoteName = "\\\\SRV\\photos";
  ASSERT_EQ(p.network->addConnection(r, "secret", "claire", 0), 0);
  p.answerDialog(kAnswerOk);
  w().Test_Click(5);
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(55));
  EXPECT_EQ(p.connectedTo('Q'), "");
  EXPECT_EQ(p.connectedTo('E'), "\\\\SRV\\photos") << "a mapping the test did not make stays";
}

TEST_F(CommandsTest, TestOfALetterWithOpenFilesStopsBeforeConnecting) {
  startWith({{'E', line('E', "\\\\SRV\\docs", "0")}});
  platform::NetResource r;
  r.localName = "E:";
  r.remoteName = "\\\\SRV\\busy";
  ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
  p.answerDialog(kAnswerOk);
  w().Test_Click(5);
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(83) + "\r\n(E: \\\\SRV\\docs)");
  EXPECT_EQ(p.connectedTo('E'), "\\\\SRV\\busy");
}

TEST_F(CommandsTest, BrowseAcceptsExactlyTheShareLevelAndLeavesTheLetterFree) {
  startWith({});
  std::vector<std::pair<std::string, bool>> seen;
  p.tk.setFolderBrowser(
      [&](const forms::FolderBrowseRequest& req, headless::HeadlessFolderBrowser& b) {
        EXPECT_EQ(req.instruction, p.g->texts.msg(71) + " : \r\n" + p.g->texts.msg(72));
        for (const std::optional<std::string>& sel :
             {std::optional<std::string>{}, std::optional<std::string>{"\\\\SRV\\docs\\sub"},
              std::optional<std::string>{"\\\\SRV\\docs"}}) {
          b.okEnabled = true;
          b.statusText = "x";
          req.onSelectionChanged(b, sel);
          seen.emplace_back(b.statusText, b.okEnabled);
        }
        return std::optional<std::string>("\\\\SRV\\docs");
      });
  w().Parcourir(5).click();
  ASSERT_EQ(seen.size(), 3U);
  EXPECT_EQ(seen[0], (std::pair<std::string, bool>{p.g->texts.msg(70), false}));
  EXPECT_EQ(seen[1], (std::pair<std::string, bool>{p.g->texts.msg(70), false}));
  EXPECT_EQ(seen[2], (std::pair<std::string, bool>{"", true}));
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\SRV\\docs");
  EXPECT_EQ(w().lettreactive(5).value(), 1);
  EXPECT_EQ(p.connectedTo('E'), "");
  EXPECT_TRUE(w().EntryModified);
}

TEST_F(CommandsTest, BrowseToAShareThatRefusesEmptiesThePath) {
  startWith({{'E', line('E', "\\\\SRV\\docs", "0")}});
  p.tk.setFolderBrowser([](const forms::FolderBrowseRequest&, headless::HeadlessFolderBrowser&) {
    return std::optional<std::string>("\\\\SRV\\photos");
  });
  w().nomuser.setText("claire");
  w().password.setText("nope");
  p.answerDialog(kAnswerOk);
  w().Parcourir(5).click();
  ASSERT_EQ(p.dialogTexts.size(), 1U);
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(102) + "\r\n(E: \\\\SRV\\docs)");
  EXPECT_EQ(w().Cheminreseau(5).text(), "");
  EXPECT_EQ(w().lettreactive(5).value(), 0);
}

TEST_F(CommandsTest, DetectionMarksLocalDrivesAndClearsOldDescriptions) {
  const std::string old = "A: (" + std::string("Lecteur local") + " : x)";
  startWith({{'A', "0\tA\t\t\t" + old}, {'E', line('E', "\\\\SRV\\docs", "0")}});
  EXPECT_EQ(w().Cheminreseau(3).text(),
            "C: (" + p.g->texts.msg(62) + " : " + p.g->texts.msg(66) + ")");
  EXPECT_EQ(w().Cheminreseau(4).text(),
            "D: (" + p.g->texts.msg(62) + " : " + p.g->texts.msg(68) + ")");
  for (int i : {3, 4}) {
    EXPECT_EQ(w().lettreactive(i).value(), 2);
    EXPECT_FALSE(w().lettreactive(i).enabled());
    EXPECT_EQ(w().Cheminreseau(i).backColor(), forms::kLightYellow);
    EXPECT_FALSE(w().Test(i).enabled());
    EXPECT_FALSE(w().Parcourir(i).enabled());
  }
  EXPECT_EQ(w().Cheminreseau(1).text(), "");  // the drive it described is gone
  EXPECT_EQ(w().Test(5).caption(), p.g->texts.msg(29));
  EXPECT_TRUE(w().Test(5).enabled());
  EXPECT_FALSE(w().Test(6).enabled());
  // A letter connected to a share is a network drive: left alone.
  platform::NetResource r;
  r.localName = "E:";
  r.remoteName = "\\\\SRV\\docs";
  ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
  w().detectionlecteur();
  EXPECT_EQ(w().Cheminreseau(5).text(), "\\\\SRV\\docs");
  // After a switch to English the marked rows speak English.
  w().langue_Click(0);
  EXPECT_EQ(w().Cheminreseau(3).text(),
            "C: (" + p.g->texts.msg(62) + " : " + p.g->texts.msg(66) + ")");
  EXPECT_FALSE(w().EntryModified);
}

}  // namespace
}  // namespace quilbert::ui
