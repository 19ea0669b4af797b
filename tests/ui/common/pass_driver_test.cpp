#include "ui/common/pass_driver.h"

#include <gtest/gtest.h>

#include "net/connect_pass.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

// The one place that knows how a pass is built: H: on the server that is
// switched off, started, waiting for it 10 s at most.
std::unique_ptr<net::ConnectPass> waitingPass(testing::TestProgram& p, net::PassObserver& o) {
  std::array<net::PassItem, 27> items{};
  items[8].active = true;
  items[8].localName = items[8].label = "H:";
  items[8].path = "\\\\OFF\\data";
  auto pass = std::make_unique<net::ConnectPass>(*p.svc, p.g->texts, items,
                                                 net::PassKind::Automatic, o, 10'000);
  EXPECT_TRUE(pass->start());
  return pass;
}

// Each case acts at 3 s (retries fall due at 2, 6, 10 s); the server comes back at 12 s.
TEST(PassDriver, RetriesAtThePassDelaysAndAtChangesThenTellsTheEndOnce) {
  struct Case {
    const char* name;
    std::string at3s;
    int tries;  // connections the network was asked for
    std::vector<std::int64_t> overs;
    std::int64_t busyUntil = 0;
  };
  const std::vector<Case> cases = {
      {"the server comes back: connected at the change", "switch on", 3, {3000}},
      {"the wait's limit runs out", "", 4, {10000}},
      {"stopped: nothing more is tried nor told", "stop", 2, {}},
      {"the person stops waiting: told at the next tick", "stop soon", 2, {3001}},
      {"busy until 7 s: retries and changes wait", "switch on", 2, {8000}, 7000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestProgram p;
    net::PassObserver quiet;
    const auto pass = waitingPass(p, quiet);
    forms::Scheduler scheduler(p.tk);
    PassDriver driver(scheduler, p.network.get());
    driver.busy = [&] { return p.tk.now() < c.busyUntil; };
    std::vector<std::int64_t> overs;
    driver.drive(*pass, [&] { overs.push_back(p.tk.now()); });
    p.tk.advance(3000);
    if (c.at3s == "switch on") p.network->setReachable("OFF", true);
    if (c.at3s == "stop") driver.stop();
    if (c.at3s == "stop soon") driver.stopSoon();
    p.tk.advance(9000);
    p.network->setReachable("OFF", true);
    p.tk.advance(200'000);
    EXPECT_EQ(p.network->callCount(sim::Call::AddConnection), c.tries);
    EXPECT_EQ(overs, c.overs);
  }
}

}  // namespace
}  // namespace quilbert::ui
