// Staying resident after the automatic run: network changes bring the
// letters back by themselves, but never a refused login nor a letter the
// person or someone else disconnected, and a letter that cannot come back
// is told once.
#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

TEST(LetterKeeper, ResidentProgramKeepsItsLettersConnected) {
  TestProgram p("/a");
  p.writeConfig(TestProgram::config(
      {{'G', TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\docs")},
       {'H', TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data")},
       {'K', TestProgram::driveLine("1", 'K', "claire", "stale", "\\\\SRV\\photos")},
       {'N', TestProgram::driveLine("1", 'N', "", "", "\\\\NOWHERE\\x")}},
      "ores"));
  // The person does not wait at log-on: H and N are not there.
  p.tk.expectModal("frmSplash",
                   [](forms::Form& w) { w.get<forms::PictureBox>("Picture1").click(); });
  p.recordStatuses(1);
  ASSERT_FALSE(p.start());
  auto tip = [&] { return p.tk.trayIcons().at(1).tip; };
  auto attempts = [&] { return p.network->callCount(sim::Call::AddConnection); };
  EXPECT_EQ(tip(), "QUILBERT 2.0 - " + p.g->texts.msg(60) + " : 1/4");

  int before = attempts();
  p.network->setReachable("OFF", true);
  EXPECT_EQ(p.connectedTo('H'), "\\\\OFF\\data");
  EXPECT_EQ(attempts() - before, 2) << "H and N; K's login was refused";
  EXPECT_EQ(tip(), "QUILBERT 2.0 - " + p.g->texts.msg(60) + " : 2/4");

  // N never answers: told once when its wait ends, not at each later pass.
  p.tk.advance(120'000);
  p.network->setReachable("OFF", false);
  p.tk.advance(120'000);
  ASSERT_EQ(p.tk.notifications().size(), 1U);
  EXPECT_EQ(
      p.tk.notifications()[0].rfind(p.g->texts.msg(app::kMsgLetterLost) + ": N: \\\\NOWHERE\\x", 0),
      0U)
      << p.tk.notifications()[0];

  // Disconnected outright elsewhere (the command line): left alone too.
  ASSERT_EQ(p.network->cancelConnection("H:", 0, true), 0);
  p.network->setReachable("OFF", true);
  EXPECT_EQ(p.connectedTo('H'), "");

  // Disconnected by hand: nothing comes back behind the person's back.
  p.recordStatuses(1);
  p.main->disconnect_Click();
  before = attempts();
  p.network->setReachable("OFF", true);
  EXPECT_EQ(attempts(), before);
  EXPECT_EQ(p.connectedTo('G'), "");
}

}  // namespace
}  // namespace quilbert::ui

namespace quilbert::ui {
namespace {

// A server switched back on changes nothing on this machine: only the timed
// looks find it, at 1, 2, 5, then every 15 minutes, never while the person
// is in a window; a connected letter whose server went away is counted apart.
TEST(LetterKeeper, TimedLooksFindAServerThatCameBackAndOneThatWentAway) {
  TestProgram p("/a");
  p.writeConfig(
      TestProgram::config({{'G', TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\docs")},
                           {'H', TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data")}},
                          "ores"));
  p.tk.expectModal("frmSplash",
                   [](forms::Form& w) { w.get<forms::PictureBox>("Picture1").click(); });
  p.recordStatuses(1);
  ASSERT_FALSE(p.start());
  auto attempts = [&] { return p.network->callCount(sim::Call::AddConnection); };
  auto tip = [&] { return p.tk.trayIcons().at(1).tip; };
  const std::string count = "QUILBERT 2.0 - " + p.g->texts.msg(60) + " : ";
  // Minutes from the start at which H is tried; none between them.
  const std::int64_t start = p.tk.now();
  int before = attempts();
  for (const std::int64_t minute : {1, 3, 8, 23, 38}) {
    const std::int64_t due = start + minute * 60'000 - p.tk.now();
    p.tk.advance(due - 1);
    EXPECT_EQ(attempts(), before) << "before minute " << minute;
    p.tk.advance(1);
    EXPECT_EQ(attempts(), before + 1) << "at minute " << minute;
    before = attempts();
  }
  EXPECT_EQ(tip(), count + "1/2");

  // The person is in the main window when the next look is due: after it.
  p.network->setReachable("OFF", true, false);
  p.main->bringBack();
  p.tk.advance(16 * 60'000);
  EXPECT_EQ(p.connectedTo('H'), "");
  p.main->menu_agrandir_Click();
  p.tk.advance(2000);
  EXPECT_EQ(p.connectedTo('H'), "\\\\OFF\\data");
  EXPECT_EQ(tip(), count + "2/2");

  p.network->setReachable("SRV", false, false);
  p.tk.advance(15 * 60'000);
  EXPECT_EQ(tip(), count + "1/2 (+1 " + p.g->texts.msg(app::kMsgServerSilent) + ")");
}

// The tip is redrawn at each timed look and retry of a resident hour; the
// drive lines are taken apart by the start's read only, never for a redraw.
TEST(LetterKeeper, AResidentHourRedrawsTheTipWithoutTakingTheDriveLinesApart) {
  TestProgram p("/a");
  p.writeConfig(TestProgram::config(
      {{'G', TestProgram::driveLine("1", 'G', "", "", "\\\\SRV\\docs")},
       {'H', TestProgram::driveLine("1", 'H', "", "", "\\\\OFF\\data")},
       {'P', TestProgram::driveLine("1", 'P', "claire", "secret", "\\\\SRV\\photos")}},
      "ores"));
  p.tk.expectModal("frmSplash",
                   [](forms::Form& w) { w.get<forms::PictureBox>("Picture1").click(); });
  p.recordStatuses(1);
  ASSERT_FALSE(p.start());
  const int parses = p.g->config.driveTableParses();
  const int redraws = p.tk.trayIcons().at(1).tipsSet;

  p.tk.advance(60 * 60'000);
  EXPECT_GT(p.tk.trayIcons().at(1).tipsSet - redraws, 1);
  EXPECT_EQ(p.g->config.driveTableParses(), parses);
  EXPECT_EQ(parses, 1);
}

}  // namespace
}  // namespace quilbert::ui
