// A configuration file its user cannot read: said at start, never written
// over. POSIX only: the test runs the program as a user the file's mode
// applies to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/catalogue.h"
#include "app/config.h"
#include "config_fixture.h"
#include "platform/linux/linux_test_support.h"
#include "support/test_program.h"
#include "ui/common/dialog.h"

namespace quilbert::app {
namespace {

using testing::readFile;
using testing::TestProgram;
namespace fs = std::filesystem;

class ConfigUnreadable : public ConfigFixture {};

TEST_F(ConfigUnreadable, AnUnreadableFileIsSaidAtStartAndNeverWrittenOver) {
  p.writeConfig(TestProgram::config({{'A', "1\tA\tx\t\t\\\\S\\a"}}));
  const std::string before = readFile(p.configPath());
  fs::permissions(p.configPath(), fs::perms::none);
  // The program runs as a user the file's mode applies to: root reads
  // anything, so as root the whole program becomes "nobody" in a child.
  constexpr uid_t kNobody = 65534;
  if (::geteuid() == 0) {
    for (const auto& e : fs::recursive_directory_iterator(p.dir.path())) {
      ASSERT_EQ(::lchown(e.path().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::lchown(p.dir.path().c_str(), kNobody, kNobody), 0);
  }
  const std::string said = platform::testing::runInChild([&] {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      return std::string("could not become nobody");
    }
    if (std::ifstream(p.configPath()).good()) return std::string("the file is readable");
    std::string wrong;
    auto expect = [&](bool ok, const std::string& what) {
      if (!ok) wrong += what + "; ";
    };
    try {
      p.answerDialog(ui::kAnswerOk);
      expect(!p.start(), "start ended the process");
      const std::string told =
          p.g->texts.msg(kMsgConfigUnreadable) + "\r\n(" + p.configPath().string() + ")";
      expect(!p.g->texts.msg(kMsgConfigUnreadable).empty() && p.dialogTexts == std::vector{told},
             "no dialog at start");
      // A theme change, a language change and a save are all refused and said.
      p.answerDialog(ui::kAnswerOk);
      p.main->menu("icone", 2).click();
      p.answerDialog(ui::kAnswerOk);
      p.main->langue_Click(0);
      p.main->nomuser.setText("claire");
      p.answerDialog(ui::kAnswerOk);
      p.main->modif_Click();
      expect(p.dialogTexts == std::vector(4, told), "writes not refused with the message");
      expect(p.main->menu("icone", 1).checked() && !p.main->menu("icone", 2).checked(),
             "the theme tick moved");
      expect(p.main->menu("langue", 1).checked(), "the language tick moved");
    } catch (const std::exception& e) {
      wrong += std::string("exception ") + e.what();
    }
    return wrong.empty() ? std::string("done") : wrong;
  });
  fs::permissions(p.configPath(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(said, "done");
  EXPECT_EQ(readFile(p.configPath()), before);
  // Once it can be read, writes go through again.
  read();
  EXPECT_EQ(entry('A').Login, "x");
  EXPECT_TRUE(p.g->config.write(p.g->config.ConfigLines).ok());
}

}  // namespace
}  // namespace quilbert::app
