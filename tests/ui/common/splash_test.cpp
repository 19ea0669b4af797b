#include "ui/common/splash.h"

#include <gtest/gtest.h>

#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

// The status window's timer starts when it is drawn; what it does then
// depends on who showed it.
TEST(StatusWindow, ClosesOrEndsTheProgramAsItsCallerAsked) {
  TestProgram p;
  for (const char* resident : {"ores", "nres"}) {
    p.g->config.ResidentMode = resident;
    const auto before = p.tk.now();
    EXPECT_FALSE(p.endsProcess([&] { showStatus(p.g->program, "x", 2000, 1); }));
    EXPECT_EQ(p.tk.now() - before, 2000);
  }
  p.g->config.ResidentMode = "ores";
  EXPECT_FALSE(p.endsProcess([&] { showStatus(p.g->program, "x", 1000, 0); }));
  p.g->config.ResidentMode = "nres";
  const auto before = p.tk.now();
  EXPECT_TRUE(p.endsProcess([&] { showStatus(p.g->program, "x", 1000, 0); }));
  EXPECT_EQ(p.tk.now() - before, 1000);
}

TEST(StatusWindow, WaitsForItsFirstDrawing) {
  TestProgram p;
  SplashForm splash(p.g->program);
  splash.load();
  p.tk.advance(5000);
  EXPECT_FALSE(splash.Timer1.timerEnabled());
  EXPECT_TRUE(splash.loaded());
  splash.show();  // drawn: the time starts now
  p.tk.advance(999);
  EXPECT_TRUE(splash.loaded());
  p.g->state.SplashStatusOnly = 1;
  p.tk.advance(1);
  EXPECT_FALSE(splash.loaded());
}

TEST(StatusWindow, ANeverDrawnWindowStillClosesAFewSecondsAfterItIsShown) {
  TestProgram p;
  p.tk.paintsOnShow = false;
  const auto before = p.tk.now();
  EXPECT_FALSE(p.endsProcess([&] { showStatus(p.g->program, "x", 1000, 1); }));
  EXPECT_EQ(p.tk.now() - before, kPaintGraceMs + 1000);
}

}  // namespace
}  // namespace quilbert::ui
