#include "ui/common/dialog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/test_program.h"

namespace quilbert::ui {
namespace {

using testing::TestProgram;

// Runs ShowDialog and captures the laid-out form's geometry, then answers with
// the given key or button.
struct Shown {
  int width = 0, height = 0;
  forms::Rect label, ok, oui, non, cancel;
  bool okVisible = false, ouiVisible = false, nonVisible = false, cancelVisible = false;
  std::string caption;
};

Shown show(TestProgram& p, const std::string& text, int kind,
           const std::function<void(DialogForm&)>& act) {
  Shown s;
  p.tk.expectModal("Dialog", [&](forms::Form& f) {
    auto& d = dynamic_cast<DialogForm&>(f);
    s = {d.width(),
         d.height(),
         d.txtmessage.rect(),
         d.OKButton.rect(),
         d.OuiButton.rect(),
         d.NonButton.rect(),
         d.CancelButton.rect(),
         d.OKButton.visible(),
         d.OuiButton.visible(),
         d.NonButton.visible(),
         d.CancelButton.visible(),
         d.caption()};
    act(d);
  });
  ShowDialog(p.g->program, text, kind, kIconWarning, "Titre");
  return s;
}

class DialogTest : public ::testing::Test {
 protected:
  TestProgram p;
  int w0 = 2730 + 120;  // designed client width plus the headless frame
  int h0 = 1395 + 420;
};

TEST_F(DialogTest, ShortMessageKeepsTheDesignedLayoutAndShowsTheTitleWithTwoSpaces) {
  const auto s = show(p, "Court", kDialogOk, [](DialogForm& d) { d.OKButton.click(); });
  EXPECT_EQ(s.width, w0);
  EXPECT_EQ(s.height, h0);
  EXPECT_EQ(s.ok, (forms::Rect{840, 930, 1215, 375}));
  EXPECT_EQ(s.caption, "Titre  ");
  EXPECT_TRUE(s.okVisible);
  EXPECT_FALSE(s.ouiVisible || s.nonVisible || s.cancelVisible);
  EXPECT_EQ(p.g->state.DialogResult, kAnswerOk);
}

TEST_F(DialogTest, WideMessageGrowsTheFormToTheRightAndCentresTheButtons) {
  // 34 characters of 90 twips: 3060 wide, 1365 more than designed.
  const auto s =
      show(p, std::string(34, 'x'), kDialogYesNo, [](DialogForm& d) { d.NonButton.click(); });
  EXPECT_EQ(s.width, w0 + 1365);
  EXPECT_EQ(s.label.left, 930);
  EXPECT_EQ(s.ok.left, (w0 + 1365) / 2 - 607);
  EXPECT_EQ(s.oui.left, s.ok.left - 675);
  EXPECT_EQ(s.non.left, s.oui.left + 1350);
  EXPECT_EQ(s.non.left - (s.oui.left + s.oui.width), 135);
  EXPECT_EQ(p.g->state.DialogResult, kAnswerNo);
}

TEST_F(DialogTest, ALongTitleWidensAShortMessageSoThatTheTitleBarShowsItWhole) {
  int width = 0;
  p.tk.expectModal("Dialog", [&](forms::Form& d) {
    width = d.width();
    d.hide();
  });
  ShowDialog(p.g->program, "Court", kDialogOk, kIconWarning, "Connecteurs de lecteurs réseau");
  EXPECT_EQ(width, p.tk.titleBarWidth("Connecteurs de lecteurs réseau  "));
}

TEST_F(DialogTest, TallMessageMovesTheButtonsDownByTheExcess) {
  // Five lines of 195 twips: 975 high, 255 more than the icon.
  const auto s =
      show(p, "1\r\n2\r\n3\r\n4\r\n5", kDialogOk, [](DialogForm& d) { d.OKButton.click(); });
  EXPECT_EQ(s.height, h0 + 255);
  EXPECT_EQ(s.ok.top, 930 + 255);
  EXPECT_EQ(s.label.top, static_cast<int>(std::lround(472.5 + 127.5 - 487.5)));
}

TEST_F(DialogTest, AMessageWiderThanTheScreenWrapsInsideTheWorkAreaBreakingPathsAfterBackslashes) {
  std::string path = "\\\\SERVEUR\\partage";
  for (int i = 1; path.size() < 275; ++i) path += "\\dossier_tres_long_" + std::to_string(i);
  const std::string text = "Erreur " + std::string(120, 'x') + " fin.\r\n(L: " + path + ")";
  std::string shown;
  const auto s = show(p, text, kDialogOk, [&](DialogForm& d) {
    shown = d.txtmessage.caption();
    d.OKButton.click();
  });
  EXPECT_LE(s.width, p.tk.workArea().width);
  EXPECT_LE(s.label.left + s.label.width, s.width - 120);
  EXPECT_GE(s.ok.top, s.label.top + s.label.height);  // the buttons below the text
  // Nothing is lost; the path is broken after its backslashes only.
  std::string unwrapped = shown;
  for (std::size_t at; (at = unwrapped.find("\\\r\n")) != std::string::npos;) {
    unwrapped.erase(at + 1, 2);
  }
  EXPECT_NE(unwrapped.find(path + ")"), std::string::npos) << shown;
}

TEST_F(DialogTest, ThreeButtonsAreNarrowedAndTheFormWidened) {
  const auto s =
      show(p, "Quitter ?", kDialogYesNoCancel, [](DialogForm& d) { d.CancelButton.click(); });
  EXPECT_EQ(s.oui.width, 1041);
  EXPECT_EQ(s.width, 3 * 1041 + 720);
  EXPECT_EQ(s.non.left, (3 * 1041 + 720) / 2 - 520);
  EXPECT_EQ(s.oui.left, s.non.left - 1041 - 120);
  EXPECT_EQ(s.cancel.left, s.non.left + 1041 + 120);
  EXPECT_TRUE(s.cancelVisible);
  EXPECT_EQ(p.g->state.DialogResult, kAnswerCancel);
}

TEST_F(DialogTest, KeysAnswerByKind) {
  show(p, "?", kDialogYesNo, [](DialogForm& d) { d.keyDown(79); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerYes);
  show(p, "?", kDialogYesNo, [](DialogForm& d) { d.keyDown(78); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerNo);
  show(p, "?", kDialogYesNo, [](DialogForm& d) { d.keyDown(forms::kKeyReturn); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerYes);
  show(p, "?", kDialogYesNo, [](DialogForm& d) { d.keyDown(forms::kKeyEscape); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerNo);
  // Kind 1: the letters do nothing, Escape answers OK.
  show(p, "!", kDialogOk, [](DialogForm& d) {
    d.OKButton.setFocus();
    d.keyDown(78);
    EXPECT_TRUE(d.visible());
    d.keyDown(forms::kKeyEscape);
  });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerOk);
}

TEST_F(DialogTest, CloseBoxActsAsTheCancelButtonAndRestoresThePointer) {
  p.tk.setMousePointer(forms::MousePointer::Hourglass);
  p.g->state.DialogResult = kAnswerYes;
  show(p, "?", kDialogYesNoCancel, [&](DialogForm& d) {
    EXPECT_EQ(p.tk.mousePointer(), forms::MousePointer::Arrow);
    d.userClose();
  });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerCancel);
  EXPECT_EQ(p.tk.mousePointer(), forms::MousePointer::Hourglass);
  show(p, "?", kDialogYesNo, [](DialogForm& d) { d.userClose(); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerNo);
  show(p, "!", kDialogOk, [](DialogForm& d) { d.userClose(); });
  EXPECT_EQ(p.g->state.DialogResult, kAnswerOk);
}

}  // namespace
}  // namespace quilbert::ui
