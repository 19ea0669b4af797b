// The automatic run at log-on, where nobody may be at the machine.
#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

// Letters an earlier session left connected, kept by open files from the
// cancel before the pass: one on its own share counts as connected; one held
// by another share is told in the end status, and no box holds up the run.
TEST(AutomaticRun, ALetterStillConnectedCountsAndNoBoxHoldsUpTheLettersAfterIt) {
  TestProgram p("/a");
  for (const auto& [letter, share] : {std::pair{"L:", "\\\\SRV\\docs"}, {"M:", "\\\\SRV\\photos"}}) {
    platform::NetResource r;
    r.type = platform::kTypeDisk;
    r.localName = letter;
    r.remoteName = share;
    ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
    ASSERT_TRUE(p.network->setOpenFiles(share, 1));
  }
  p.writeConfig(TestProgram::config({{'L', TestProgram::driveLine("1", 'L', "", "", "\\\\SRV\\docs")},
                                     {'M', TestProgram::driveLine("1", 'M', "", "", "\\\\SRV\\docs")},
                                     {'N', TestProgram::driveLine("1", 'N', "", "", "\\\\SRV\\docs")}}));
  p.recordStatuses(1);
  EXPECT_TRUE(p.start());  // ends by itself: a box would have stopped the test here
  EXPECT_EQ(p.connectedTo('N'), "\\\\SRV\\docs");
  ASSERT_EQ(p.statuses.size(), 1U);
  const std::string& end = p.statuses[0].text;
  EXPECT_EQ(end.rfind(p.g->texts.msg(60) + " : \r\n2/3", 0), 0U) << end;
  EXPECT_NE(end.find("M: " + p.g->texts.msg(app::kMsgNetAlreadyAssigned)), std::string::npos) << end;
  EXPECT_TRUE(p.dialogTexts.empty());
}

}  // namespace
}  // namespace quilbert::ui
