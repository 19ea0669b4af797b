// The automatic run at log-on, where nobody may be at the machine.
#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

// A letter an earlier session left connected to its own share, kept by open
// files from the cancel before the pass, is what was asked: it counts as
// connected, in the end status as in the tip, and opens no box.
TEST(AutomaticRun, ALetterStillConnectedToItsShareCountsAsConnected) {
  TestProgram p("/a");
  ASSERT_TRUE(p.connectBeforehand('L', "\\\\SRV\\docs"));
  ASSERT_TRUE(p.network->setOpenFiles("\\\\SRV\\docs", 1));
  p.writeConfig(
      TestProgram::config({{'L', TestProgram::driveLine("1", 'L', "", "", "\\\\SRV\\docs")},
                           {'N', TestProgram::driveLine("1", 'N', "", "", "\\\\SRV\\photos")}},
                          "ores"));
  p.recordStatuses(1);
  EXPECT_FALSE(p.start());  // a box would have stopped the test here
  ASSERT_EQ(p.statuses.size(), 1U);
  EXPECT_EQ(p.statuses[0].text, p.g->texts.msg(60) + " : \r\n2/2");
  EXPECT_EQ(p.tk.trayIcons().at(1).tip, "QUILBERT 2.0 - " + p.g->texts.msg(60) + " : 2/2");
}

}  // namespace
}  // namespace quilbert::ui
