// Start with Windows, language, icon themes, resident mode and the
// notification icon.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/catalogue.h"
#include "app/registry_routines.h"
#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::readFile;
using testing::TestProgram;
namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  void startWith(const std::vector<std::pair<char, std::string>>& drives = {},
                 const std::string& resident = "nres") {
    p.writeConfig(TestProgram::config(drives, resident));
    ASSERT_FALSE(p.start());
  }
  ConnectWindow& w() { return *p.main; }
  void setRunValue(std::uint32_t type, const std::string& bytes) {
    platform::RegKey key = 0;
    ASSERT_EQ(p.registry->openKey(platform::kHkeyLocalMachine, app::kRunKey,
                                  platform::kKeyAllAccess, key),
              0);
    ASSERT_EQ(p.registry->setValue(key, app::kRunValueName, type, bytes), 0);
    p.registry->closeKey(key);
  }
  TestProgram p;
};

TEST_F(SettingsTest, StartWithWindowsStoresTheRunCommandWithItsNul) {
  startWith();
  EXPECT_FALSE(w().menu("demarrage").checked());
  p.answerDialog(kAnswerOk);
  w().menu("demarrage").click();
  EXPECT_TRUE(w().menu("demarrage").checked());
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(50));
  EXPECT_EQ(p.dialogTitles.back(), p.g->texts.msg(170) + "  ");
  const auto value =
      app::QueryValue(*p.registry, platform::kHkeyLocalMachine, app::kRunKey, app::kRunValueName);
  EXPECT_EQ(std::get<std::string>(value),
            "\"" + p.process->appDir() + p.process->exeFileName() + "\" /a");
  platform::RegKey key = 0;
  p.registry->openKey(platform::kHkeyLocalMachine, app::kRunKey, platform::kKeyQueryValue, key);
  std::string raw(200, ' ');
  std::uint32_t size = 200;
  std::uint32_t type = 0;
  p.registry->queryValue(key, app::kRunValueName, &type, &raw, size);
  EXPECT_EQ(raw.substr(0, size).back(), '\0');
  EXPECT_TRUE(p.registry->startsAtLogOn(p.g->places.RunCommand));
  // The next start ticks it; switching off deletes the value.
  w().annulmodif_Click();
  EXPECT_TRUE(w().menu("demarrage").checked());
  p.answerDialog(kAnswerOk);
  w().menu("demarrage").click();
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(49));
  EXPECT_TRUE(p.registry->startsAtLogOn(""));
}

TEST_F(SettingsTest, OnlyTheExactCommandTicksTheItem) {
  startWith();
  const std::string exact = p.g->places.RunCommand;
  for (const auto& [type, bytes, ticked] :
       {std::tuple<std::uint32_t, std::string, bool>{platform::kRegSz, exact + '\0', true},
        {platform::kRegSz, "\"" + exact + "\"" + '\0', false},
        {platform::kRegSz, exact.substr(0, exact.size() - 2) + "/A" + '\0', false},
        {platform::kRegDword, std::string("\x01\0\0\0", 4), false}}) {
    setRunValue(type, bytes);
    w().annulmodif_Click();
    EXPECT_EQ(w().menu("demarrage").checked(), ticked) << bytes;
  }
}

TEST_F(SettingsTest, AUserWhoMayNotWriteTheMachineKeyStartsByTheirOwnValue) {
  startWith();
  p.registry->setReadOnly(platform::kHkeyLocalMachine, app::kRunKey);
  p.answerDialog(kAnswerOk);
  w().menu("demarrage").click();
  EXPECT_TRUE(w().menu("demarrage").checked());
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(50));
  EXPECT_TRUE(p.registry->startsAtLogOn(p.g->places.RunCommand));
  // Set for all by an administrator too: switching off names what stays.
  p.registry->setReadOnly(platform::kHkeyLocalMachine, app::kRunKey, false);
  setRunValue(platform::kRegSz, p.g->places.RunCommand + '\0');
  p.registry->setReadOnly(platform::kHkeyLocalMachine, app::kRunKey);
  p.answerDialog(kAnswerOk);
  w().menu("demarrage").click();
  EXPECT_TRUE(w().menu("demarrage").checked());
  EXPECT_EQ(p.dialogTexts.back(), p.g->texts.msg(app::kMsgStartupNotRemoved) +
                                      "\r\nHKEY_LOCAL_MACHINE\\" + app::kRunKey + "\\Quilbert (5)");
  EXPECT_EQ(app::QueryValue(*p.registry, platform::kHkeyCurrentUser, app::kRunKey, "Quilbert"),
            app::RegValue());
}

TEST_F(SettingsTest, LanguageSwitchAppliesEveryCaptionAndWritesLine29Only) {
  startWith({{'E', TestProgram::driveLine("1", 'E', "", "", "\\\\SRV\\docs")}});
  w().Cheminreseau(6).setText("\\\\SRV\\photos");  // an unsaved edit
  w().EntryModified = false;
  const auto before = p.configLines();
  w().langue_Click(0);
  EXPECT_TRUE(w().menu("langue", 0).checked());
  EXPECT_FALSE(w().menu("langue", 1).checked());
  auto after = p.configLines();
  EXPECT_EQ(after[28], "langage_gb.txt");
  after[28] = before[28];
  EXPECT_EQ(after, before);
  // English captions everywhere, from the English file.
  EXPECT_EQ(w().caption(), p.g->texts.msg(0));
  EXPECT_NE(p.g->texts.msg(0), "");
  EXPECT_EQ(w().modif.caption(), p.g->texts.msg(30));
  EXPECT_EQ(w().Test(5).toolTip(), p.g->texts.msg(41));
  EXPECT_EQ(w().menu("about").caption(), p.g->texts.msg(14));
  EXPECT_EQ(w().menu("menu_agrandir").caption(), p.g->texts.msg(168));
  EXPECT_EQ(w().menu("menu_keyring").caption(), p.g->texts.msg(app::kMsgKeepInKeyring));
  EXPECT_EQ(w().Cheminreseau(6).text(), "\\\\SRV\\photos");
  EXPECT_FALSE(w().EntryModified);
  // From the keyboard alone: every menu and command has its own access key,
  // in either language (a translation can make two share one).
  const auto accessKeys = [this] {
    std::vector<std::string> captions;
    for (const auto& m : w().form.menus()) captions.push_back(m->caption());
    for (const forms::FlatButton* b : {&w().modif, &w().effacer, &w().annulmodif, &w().connection,
                                       &w().disconnect, &w().bt_reduc, &w().Command1}) {
      captions.push_back(b->caption());
    }
    std::string keys;
    for (const std::string& c : captions) {
      const auto amp = c.find('&');
      EXPECT_TRUE(amp != std::string::npos && amp + 1 < c.size()) << c;
      if (amp != std::string::npos && amp + 1 < c.size()) {
        const char k = static_cast<char>(std::tolower(static_cast<unsigned char>(c[amp + 1])));
        EXPECT_EQ(keys.find(k), std::string::npos) << "two take '" << k << "': " << c;
        keys += k;
      }
    }
  };
  accessKeys();
  const std::string english = p.g->texts.msg(0);
  w().langue_Click(1);
  EXPECT_NE(p.g->texts.msg(0), english);
  EXPECT_EQ(w().caption(), p.g->texts.msg(0));
  accessKeys();
}

TEST_F(SettingsTest, ThemesLoadTheirIconsAndTickTheirItem) {
  startWith();
  const char sep = app::separator();
  auto inApp = [&](const std::string& folder, const std::string& theme, const std::string& file) {
    return p.process->appDir() + folder + sep + theme + sep + file;
  };
  EXPECT_TRUE(w().menu("icone", 1).checked());
  EXPECT_EQ(p.g->places.IconPrefix, inApp("ico", "windows", "w_"));
  w().menu("icone", 3).click();
  EXPECT_TRUE(w().menu("icone", 3).checked());
  EXPECT_FALSE(w().menu("icone", 1).checked());
  EXPECT_EQ(p.configLines()[27], "beos");
  EXPECT_EQ(w().Command1.picture().file, inApp("ico", "beos", "b_fin.ico"));
  EXPECT_GT(w().Command1.refreshCount(), 0);
  // A theme folder that does not exist leaves the pictures and the ticks.
  auto lines = p.configLines();
  lines[27] = "xp";
  p.writeConfig(lines);
  w().annulmodif_Click();
  EXPECT_EQ(p.g->places.IconPrefix, inApp("ico", "xp", "x_"));
  EXPECT_EQ(w().Command1.picture().file, inApp("ico", "beos", "b_fin.ico"));
  EXPECT_TRUE(w().menu("icone", 3).checked());
}

TEST_F(SettingsTest, TrayIconLivesWithTheWindowAndBringsItBack) {
  startWith();
  ASSERT_EQ(p.tk.trayIcons().count(1), 1U);
  EXPECT_EQ(p.tk.trayIcons().at(1).tip, "QUILBERT 2.0");
  auto msg = [&](int m) { p.main->mouseMove(0, 0, static_cast<float>(m * 15), 0); };
  // While shown, mouse messages are plain mouse moves.
  msg(0x203);
  EXPECT_TRUE(w().visible());
  w().bt_reduc.click();
  EXPECT_FALSE(w().visible());
  EXPECT_EQ(w().menu("menu_agrandir").caption(), p.g->texts.msg(163));
  for (int m : {0x200, 0x201, 0x202}) msg(m);
  EXPECT_FALSE(w().visible());
  EXPECT_TRUE(p.tk.popupMenus().empty());
  // A right click pops up the first menu; a second one meanwhile is dropped.
  p.tk.onPopupMenu = [&](forms::MenuItem&) { msg(0x205); };
  msg(0x205);
  EXPECT_EQ(p.tk.popupMenus(), (std::vector<std::string>{"menu default menu_agrandir"}));
  msg(0x203);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().menu("menu_agrandir").caption(), p.g->texts.msg(168));
  // Reloads add it again without a second icon; closing removes it.
  w().annulmodif_Click();
  EXPECT_EQ(p.tk.trayIcons().size(), 1U);
  w().userClose();
  EXPECT_TRUE(p.tk.trayIcons().empty());
}

TEST_F(SettingsTest, SettingsKeepANulOfTheFileAndARefusedWriteChangesNothingShown) {
  // A NUL in a line is written back as it was read.
  const std::string withNul("1\tA\tx\t\t\\\\SRV\\a\0b", 17);
  startWith({{'A', withNul}});
  w().menu("icone", 2).click();
  EXPECT_EQ(p.configLines()[0], withNul);
  EXPECT_EQ(p.configLines()[27], "sony");
  const std::string before = readFile(p.configPath());
  const std::string french = p.g->texts.msg(0);
  // Every write is refused.
  {
    testing::BlockedWrites blocked(p.configPath());
    for (int k = 0; k < 3; ++k) p.answerDialog(kAnswerOk);
    w().menu("icone", 3).click();
    w().langue_Click(0);
    w().menu("menu_resident").click();
  }
  EXPECT_EQ(p.dialogTexts.size(), 3U);
  EXPECT_EQ(readFile(p.configPath()), before);
  // The window shows what the file holds.
  EXPECT_TRUE(w().menu("icone", 2).checked());
  EXPECT_FALSE(w().menu("icone", 3).checked());
  EXPECT_EQ(w().Command1.picture().file, p.g->places.AppDir + "ico" + app::separator() + "sony" +
                                             app::separator() + "s_fin.ico");
  EXPECT_TRUE(w().menu("langue", 1).checked());
  EXPECT_FALSE(w().menu("langue", 0).checked());
  EXPECT_EQ(p.g->texts.msg(0), french);
  EXPECT_FALSE(w().menu("menu_resident").checked());
  // What is in memory is what the file holds: the next write keeps it.
  w().menu("icone", 1).click();
  auto lines = p.configLines();
  EXPECT_EQ(lines[28], "langage_fr.txt");
  EXPECT_EQ(lines[29], "nres");
}

TEST_F(SettingsTest, ResidentToggleRewritesLine30Only) {
  startWith();
  w().Cheminreseau(6).setText("\\\\SRV\\photos");
  const auto before = p.configLines();
  w().menu("menu_resident").click();
  EXPECT_TRUE(w().menu("menu_resident").checked());
  auto after = p.configLines();
  EXPECT_EQ(after[29], "ores");
  after[29] = before[29];
  EXPECT_EQ(after, before);
}

TEST_F(SettingsTest, LanguageAndResidentChangesCloseTheHelpWindow) {
  startWith();
  w().menu("aide").click();
  ASSERT_TRUE(p.windows->help.isLoaded());
  w().langue_Click(0);
  EXPECT_FALSE(p.windows->help.isLoaded());
  w().menu("aide").click();
  w().bt_reduc.click();  // hiding the main window hides the help too
  ASSERT_NE(p.windows->help.form(), nullptr);
  EXPECT_FALSE(p.windows->help.form()->visible());
  w().bt_reduc.click();
  w().menu("menu_resident").click();
  EXPECT_FALSE(p.windows->help.isLoaded());
  // Quitting unloads it with the main window.
  w().menu("aide").click();
  EXPECT_TRUE(p.endsProcess([&] { w().fnquitter(); }));
  EXPECT_FALSE(p.windows->help.isLoaded());
}

TEST_F(SettingsTest, ALaterStartBringsAHiddenWindowBack) {
  startWith();
  w().bt_reduc.click();
  ASSERT_FALSE(w().visible());
  w().bringBack();
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().menu("menu_agrandir").caption(), p.g->texts.msg(168));

  // While a modal window waits (here the about box opened from the icon),
  // a later start and the icon bring that window forward, never the main one.
  w().bt_reduc.click();
  bool mainShown = true;
  std::ptrdiff_t broughtForward = 0;
  const auto shows = [&] {
    const auto& shown = p.tk.shownForms();
    return std::count(shown.begin(), shown.end(), "apropos");
  };
  p.tk.expectModal("apropos", [&](forms::Form& about) {
    const auto before = shows();
    w().bringBack();
    w().mouseMove(0, 0, static_cast<float>(0x203 * p.tk.twipsPerPixel()), 0);
    mainShown = w().visible();
    broughtForward = shows() - before;
    about.unload();
  });
  w().menu("about").click();
  EXPECT_FALSE(mainShown);
  EXPECT_EQ(broughtForward, 2);
}

}  // namespace
}  // namespace quilbert::ui
