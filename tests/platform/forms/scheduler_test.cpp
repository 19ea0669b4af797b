#include "platform/forms/scheduler.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_toolkit.h"

namespace quilbert::forms {
namespace {

// a starts again at 150 ms with the same interval; b's first tick doubles its
// interval, its second destroys it. Each tick is logged after what it does.
TEST(Scheduler, TimersTickEachIntervalFromTheirLastStartUntilDestroyed) {
  headless::HeadlessToolkit tk;
  Scheduler scheduler(tk);
  std::string log;
  auto stamp = [&](const std::string& name) { log += name + "@" + std::to_string(tk.now()) + " "; };
  auto a = scheduler.timer([&] { stamp("a"); });
  std::unique_ptr<Scheduler::Timer> b = scheduler.timer([&, ticks = 0]() mutable {
    ++ticks == 2 ? b.reset() : b->start(2 * b->intervalMs());
    stamp("b");
  });
  a->start(100);
  b->start(70);
  tk.advance(150);
  a->start(100);
  tk.advance(250);
  EXPECT_EQ(log, "b@70 a@100 b@210 a@250 a@350 ");
}

}  // namespace
}  // namespace quilbert::forms
