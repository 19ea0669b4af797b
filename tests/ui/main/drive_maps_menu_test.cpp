// The administrator's drive maps menu: the dry run shown first, nothing
// written before Yes, the rows reloaded after; unsaved edits never lost.
#include <gtest/gtest.h>

#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

TEST(DriveMapsMenu, ImportAsksWithItsDryRunThenWritesAndShowsTheRows) {
  TestProgram p{"/qelvo"};
  p.writeConfig(TestProgram::config({}, "nres", "langage_gb.txt"));
  ASSERT_FALSE(p.start());
  const auto policy = p.dir.path() / "Drives.xml";
  testing::writeFile(policy,
                     "<Drives><Drive name=\"K:\"><Properties action=\"C\" "
                     "path=\"\\\\SRV\\%USERNAME%\" letter=\"K\"/></Drive></Drives>\r\n");
  p.tk.setFileChooser([&](const std::string&, bool save) {
    return save ? (p.dir.path() / "out.xml").string() : policy.string();
  });
  const std::string before = testing::readFile(p.configPath());
  p.answerDialog(kAnswerNo);
  p.main->menu_import_Click();
  EXPECT_EQ(p.dialogTexts.back(),
            "K: created: \\\\SRV\\Claire (line 1)\r\n\r\nImport these changes?");
  EXPECT_EQ(testing::readFile(p.configPath()), before);

  p.answerDialog(kAnswerYes);
  p.main->menu_import_Click();
  EXPECT_EQ(p.main->Cheminreseau(11).text(), "\\\\SRV\\Claire");
  EXPECT_EQ(p.main->lettreactive(11).value(), 1);

  // An edit not saved stays: the import and the export refuse until then.
  p.main->Cheminreseau(2).setText("\\\\SRV\\b");
  p.answerDialog(kAnswerOk);
  p.main->menu_export_Click();
  EXPECT_EQ(p.dialogTexts.back(), "Save or cancel the changes in the window first.");
  p.main->annulmodif_Click();
  p.answerDialog(kAnswerOk);
  p.main->menu_export_Click();
  EXPECT_NE(testing::readFile(p.dir.path() / "out.xml").find("path=\"\\\\SRV\\Claire\""),
            std::string::npos);
}

}  // namespace
}  // namespace quilbert::ui
