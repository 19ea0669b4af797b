// The automatic run when the network is not there yet: letters set aside,
// tried again at each network change and at growing intervals for two
// minutes, then the summary; and the guard that never retries a refused login.
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
  std::vector<std::string> notConnected;  // "X: " and catalogue entry
};

TEST(WaitingPass, SetAsideLettersWaitForTheNetworkAndOnlyThose) {
  const std::string off = TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data");
  const std::string docs = TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\docs");
  auto wrong = [](char letter) {
    return TestProgram::driveLine("1", letter, "claire", "stale", "\\\\SRV\\photos");
  };
  const std::vector<Case> cases = {
      {"server answers after 5 s: connected at once",
       {{'H', off}, {'G', docs}},
       [](TestProgram& p, forms::Form&) {
         p.tk.advance(5000);  // one retry at 2 s found nothing
         p.network->setReachable("OFF", true);
       },
       5000,
       4,
       "2/2",
       {}},
      {"nothing ever answers: two minutes, then the summary",
       {{'H', off}, {'G', docs}},
       [](TestProgram&, forms::Form&) {},
       120'000,
       9,
       "1/2",
       {"H: 109"}},
      {"the person stops waiting",
       {{'H', off}},
       [](TestProgram& p, forms::Form& w) {
         p.tk.advance(3000);
         w.get<forms::PictureBox>("Picture1").click();
       },
       3000,
       2,
       "0/1",
       {"H: 109"}},
      {"a refused login is tried once for all its letters",
       {{'F', wrong('F')}, {'G', wrong('G')}, {'H', off}, {'K', wrong('K')}},
       [](TestProgram& p, forms::Form&) { p.network->setReachable("OFF", true); },
       0,
       3,
       "1/4",
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
    p.recordStatuses(1);
    EXPECT_TRUE(p.start());
    EXPECT_EQ(waitingText, p.g->msg(app::kMsgWaitingForNetwork) + " : H:");
    EXPECT_EQ(waited, c.waitedMs);
    EXPECT_EQ(p.network->callCount(sim::Call::AddConnection), c.addCalls);
    ASSERT_EQ(p.statuses.size(), 1U);
    std::string expected = p.g->msg(60) + " : \r\n" + c.summary;
    for (const auto& line : c.notConnected) {
      expected += "\r\n" + line.substr(0, 3) + p.g->msg(std::stoi(line.substr(3)));
    }
    if (c.notConnected.size() > 1)
      expected += "\r\n" + p.g->msg(app::kMsgNewPasswordNeeded) + " F: G: K:";
    EXPECT_EQ(p.statuses[0].text, expected);
    EXPECT_EQ(p.statuses[0].shownMs, c.notConnected.empty() ? 1000 : 5000);
    EXPECT_NE(p.statusLog.str().find(waitingText + "\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace quilbert::net
