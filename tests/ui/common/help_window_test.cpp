#include "ui/common/help_window.h"

#include <gtest/gtest.h>

#include "app/catalogue.h"
#include "ui/report/scripted_network.h"

namespace quilbert::ui {
namespace {

using Lines = std::vector<std::string>;

struct HelpWindowTest : ::testing::Test {
  testing::ScriptedProgram p;
  HelpWindow help{p.g.program};

  Lines page() const {
    const HelpForm& f = *help.form();
    Lines out{f.caption()};
    for (const forms::Label* l : {&f.Label1, &f.Label2, &f.Label3, &f.Label4, &f.Label5, &f.Label6,
                                  &f.Label8, &f.Label7, &f.Label9}) {
      out.push_back(l->caption());
    }
    return out;
  }
};

TEST_F(HelpWindowTest, ShowsTheCatalogueWithDashesAndMarks) {
  p.g.texts.setEntry(142, "");
  help.show();
  ASSERT_NE(help.form(), nullptr);
  EXPECT_EQ(page(), (Lines{"m139", "m140", "m141", "-  ;", "- m143.", "m144", "m145", "- m146 ;",
                           "- m147.", "m148"}));
  const HelpForm& f = *help.form();
  EXPECT_TRUE(p.tk.isTopMost(f));
  EXPECT_FALSE(f.modal());
  EXPECT_TRUE(f.visible());
  EXPECT_TRUE(f.Label1.font().bold && f.Label1.font().underline);
  EXPECT_EQ(f.Label5.font(), f.Label1.font());
  EXPECT_FALSE(f.Label2.font().bold || f.Label2.font().underline);
  EXPECT_EQ(f.Label9.foreColor(), (forms::Color{192, 64, 0}));
  EXPECT_LT(f.Label8.top(), f.Label7.top());
}

TEST_F(HelpWindowTest, FollowsTheEnglishCatalogue) {
  HelpForm design(p.g.program);  // never loaded: the French texts of its design
  p.g.places.LangDir = std::string(QUILBERT_SOURCE_DIR) + "/lang/";
  p.g.config.LanguageFile = "langage_gb.txt";
  p.g.texts.load(p.g.places.LangDir, p.g.config.LanguageFile);
  ASSERT_EQ(p.g.texts.msg(139), "Connection help");
  help.show();
  const Lines shown = page();
  const Lines french{design.caption(),        design.Label1.caption(), design.Label2.caption(),
                     design.Label3.caption(), design.Label4.caption(), design.Label5.caption(),
                     design.Label6.caption(), design.Label8.caption(), design.Label7.caption(),
                     design.Label9.caption()};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_NE(shown[i], french[i]);
    EXPECT_FALSE(shown[i].empty());
  }
  EXPECT_EQ(shown[3], "- " + p.g.texts.msg(142) + " ;");
}

TEST_F(HelpWindowTest, KeepsItsTextsUntilItIsLoadedAgain) {
  help.show();
  const Lines before = page();
  p.g.texts.setEntry(140, "Network settings");  // the language changes meanwhile
  help.hideIfOpen();
  EXPECT_FALSE(help.form()->visible());
  help.show();
  EXPECT_TRUE(help.form()->visible());
  EXPECT_EQ(page(), before);
  help.show();  // already up: nothing changes
  EXPECT_EQ(page(), before);

  help.form()->userClose();
  EXPECT_EQ(help.form(), nullptr);
  help.show();
  EXPECT_EQ(page()[1], "Network settings");

  help.unloadIfLoaded();
  EXPECT_FALSE(help.isLoaded());
  help.hideIfOpen();  // nothing loaded: nothing happens
  help.unloadIfLoaded();
}

}  // namespace
}  // namespace quilbert::ui
