// The automatic run when the network is not there yet: letters set aside,
// tried again at each network change and at growing intervals for two
// minutes, shown a few seconds and then awaited behind the icon, then the
// summary; and the guard that never retries a refused login.
#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "support/test_program.h"

namespace quilbert::net {
namespace {

using testing::TestProgram;

struct Case {
  const char* name;
  std::vector<std::pair<char, std::string>> drives;
  std::function<void(TestProgram&, forms::Form&)> meanwhile;
  std::int64_t waitedMs;
  int addCalls;  // attempts the network saw
  std::string summary;
  std::string firstCount;                 // the waiting window's count
  std::vector<std::string> notConnected;  // "X: " and catalogue entry
  bool behind = false;  // the wait went on behind the icon: the end in a notification
};

TEST(WaitingPass, SetAsideLettersWaitForTheNetworkAndOnlyThose) {
  const std::string off = TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data");
  const std::string docs = TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\docs");
  auto wrong = [](char letter) {
    return TestProgram::driveLine("1", letter, "claire", "stale", "\\\\SRV\\photos");
  };
  const std::vector<Case> cases = {
      {"server answers after 3 s: connected at once",
       {{'H', off}, {'G', docs}},
       [](TestProgram& p, forms::Form&) {
         p.tk.advance(3000);  // one retry at 2 s found nothing
         p.network->setReachable("OFF", true);
       },
       3000,
       4,
       "2/2",
       "1/2",
       {}},
      {"nothing ever answers: five seconds in the way, two minutes behind the icon",
       {{'H', off}, {'G', docs}},
       [](TestProgram&, forms::Form&) {},
       5000,
       9,
       "1/2",
       "1/2",
       {"H: 109"},
       true},
      {"the person stops waiting with a click on the text",
       {{'H', off}},
       [](TestProgram& p, forms::Form& w) {
         p.tk.advance(3000);
         w.get<forms::Label>("Etat").onClick();  // as the views deliver it
       },
       3000,
       2,
       "0/1",
       "0/1",
       {"H: 109"}},
      {"a refused login is tried once for all its letters, another password still",
       {{'F', wrong('F')},
        {'G', wrong('G')},
        {'H', off},
        {'K', wrong('K')},
        {'L', TestProgram::driveLine("1", 'L', "claire", "secret", "\\\\SRV\\photos")}},
       [](TestProgram& p, forms::Form&) { p.network->setReachable("OFF", true); },
       0,
       4,
       "2/5",
       "1/5",
       {"F: 102", "G: 102", "K: 102"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestProgram p("/a");
    p.writeConfig(TestProgram::config(c.drives));
    std::string waitingText;
    std::int64_t waited = -1;
    p.tk.expectModal("frmSplash", [&](forms::Form& w) {
      waitingText = w.get<forms::Label>("Etat").caption();
      const auto shown = p.tk.now();
      c.meanwhile(p, w);
      p.tk.advanceUntil([&] { return !w.loaded(); });
      waited = p.tk.now() - shown;
    });
    if (!c.behind) p.recordStatuses(1);
    EXPECT_EQ(p.start(), !c.behind);
    const std::string waiting = p.g->texts.msg(app::kMsgWaitingForNetwork) + " : H:";
    // What is connected already, the time left and how to stop it.
    EXPECT_EQ(waitingText, waiting + "\r\n" + p.g->texts.msg(60) + " : " + c.firstCount + "    " +
                               p.g->texts.msg(app::kMsgTimeLeft) + " 120 s\r\n" +
                               p.g->texts.msg(app::kMsgClickStopsWaiting));
    EXPECT_EQ(waited, c.waitedMs);
    if (c.behind) {
      // Out of the way: the icon's tip says what is awaited.
      EXPECT_EQ(p.tk.trayIcons().at(1).tip, "QUILBERT 2.0 - " + waiting);
      EXPECT_FALSE(p.main->visible());
      // The end's notification is seen before the icon goes with the process.
      EXPECT_FALSE(
          p.endsProcess([&] { p.tk.advanceUntil([&] { return !p.tk.notifications().empty(); }); }));
      EXPECT_EQ(p.tk.trayIcons().count(1), 1U);
      EXPECT_TRUE(p.endsProcess([&] { p.tk.advance(5'000); }));
    }
    EXPECT_EQ(p.network->callCount(sim::Call::AddConnection), c.addCalls);
    std::string expected = p.g->texts.msg(60) + " : \r\n" + c.summary;
    for (const auto& line : c.notConnected) {
      expected += "\r\n" + line.substr(0, 3) + p.g->texts.msg(std::stoi(line.substr(3)));
    }
    if (c.notConnected.size() > 1)
      expected += "\r\n" + p.g->texts.msg(app::kMsgNewPasswordNeeded) + " F: G: K:";
    if (c.behind) {
      EXPECT_TRUE(p.statuses.empty());
      EXPECT_EQ(p.tk.notifications(), std::vector<std::string>{"QUILBERT 2.0: " + expected});
    } else {
      ASSERT_EQ(p.statuses.size(), 1U);
      EXPECT_EQ(p.statuses[0].text, expected);
      EXPECT_EQ(p.statuses[0].shownMs, c.notConnected.empty() ? 1000 : 5000);
    }
    EXPECT_NE(p.statusLog.str().find(waiting + "\n"), std::string::npos);
  }
}

// A later start while the automatic run waits asks for the main window: it
// shows at the latest when the pass ends, and the program then stays.
TEST(WaitingPass, ALaterStartDuringTheWaitShowsTheMainWindow) {
  struct Later {
    const char* name;
    std::string resident;
    bool inWindow;  // asked while the waiting window shows, else behind the icon
  };
  for (const auto& c : {Later{"in the window, not resident", "nres", true},
                        Later{"in the window, resident", "ores", true},
                        Later{"behind the icon, not resident", "nres", false}}) {
    SCOPED_TRACE(c.name);
    TestProgram p("/a");
    p.writeConfig(TestProgram::config(
        {{'H', TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data")}}, c.resident));
    p.tk.expectModal("frmSplash", [&](forms::Form& w) {
      if (!c.inWindow) return;
      p.main->bringBack();
      p.tk.advance(1000);
      w.get<forms::PictureBox>("Picture1").click();
    });
    if (c.inWindow) p.recordStatuses(1);
    ASSERT_FALSE(p.start());
    if (!c.inWindow) {
      p.main->bringBack();
      EXPECT_TRUE(p.main->visible()) << "shown at once";
    }
    EXPECT_FALSE(p.endsProcess([&] { p.tk.advance(130'000); }));
    EXPECT_TRUE(p.main->visible());
  }
}

}  // namespace
}  // namespace quilbert::net
