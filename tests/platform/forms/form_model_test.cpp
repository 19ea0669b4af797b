#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/headless/headless_toolkit.h"

namespace quilbert::forms {
namespace {

using headless::HeadlessToolkit;

TEST(FormModel, SettersFireTheUserEventsSynchronously) {
  HeadlessToolkit tk;
  Form f(tk, "f");
  auto& box = f.add<TextBox>("t");
  auto& check = f.add<CheckBox>("c");
  int changes = 0;
  int clicks = 0;
  box.onChange = [&] { ++changes; };
  check.onClick = [&] { ++clicks; };
  box.setText("a");
  box.setText("a");  // same text: no event
  check.setValue(2);
  check.userClick();  // a greyed box clicked by the user becomes checked, as on Windows
  EXPECT_EQ(check.value(), 1);
  check.userClick();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(check.value(), 0);
  check.setEnabled(false);
  check.userClick();
  EXPECT_EQ(check.value(), 0);
}

TEST(FormModel, ControlArrayElementsAreCopiesOfTheFirst) {
  HeadlessToolkit tk;
  Form f(tk, "f");
  auto& first = f.add<TextBox>("path", 1);
  first.move({1890, 480, 3915, 255});
  first.setFont({"MS Sans Serif", 8.25, false, false});
  auto& second = f.loadElement<TextBox>("path", 2);
  EXPECT_EQ(second.index(), 2);
  EXPECT_EQ(second.rect(), first.rect());
  EXPECT_EQ(&f.get<TextBox>("path", 2), &second);
  EXPECT_THROW(f.loadElement<TextBox>("path", 2), std::logic_error);
}

TEST(FormModel, EnterAndEscapeClickTheDefaultAndCancelButtons) {
  HeadlessToolkit tk;
  Form f(tk, "f");
  auto& ok = f.add<PushButton>("ok");
  auto& no = f.add<PushButton>("no");
  std::string log;
  ok.onClick = [&] { log += "ok "; };
  no.onClick = [&] { log += "no "; };
  ok.setDefault(true);
  no.setCancel(true);
  f.keyDown(kKeyReturn);
  f.keyDown(kKeyEscape);
  no.setVisible(false);
  f.keyDown(kKeyEscape);  // a hidden cancel button does not answer
  EXPECT_EQ(log, "ok no ");
}

TEST(FormModel, TimersTickOnTheVirtualClockWhileTheFormIsLoaded) {
  HeadlessToolkit tk;
  Form f(tk, "f");
  auto& t = f.add<Timer>("t");
  int ticks = 0;
  t.onTick = [&] { ++ticks; };
  t.setInterval(25);
  t.setTimerEnabled(true);
  tk.advance(100);
  EXPECT_EQ(ticks, 0);  // not loaded yet
  f.load();
  tk.advance(100);
  EXPECT_EQ(ticks, 4);
  f.unload();
  tk.advance(100);
  EXPECT_EQ(ticks, 4);
}

TEST(FormModel, ModalFormReturnsWhenHiddenAndUnexpectedOnesFail) {
  HeadlessToolkit tk;
  Form f(tk, "dlg");
  auto& ok = f.add<PushButton>("ok");
  ok.onClick = [&] { f.hide(); };
  tk.expectModal("dlg", [&](Form& shown) { shown.get<PushButton>("ok").click(); });
  f.showModal();
  EXPECT_FALSE(f.visible());
  EXPECT_THROW(f.showModal(), headless::UnexpectedModal);
}

TEST(FormModel, QueryUnloadMayCancel) {
  HeadlessToolkit tk;
  Form f(tk, "f");
  f.onQueryUnload = [](int& cancel, UnloadReason r) {
    cancel = r == UnloadReason::ControlMenu ? 1 : 0;
  };
  f.show();
  EXPECT_FALSE(f.userClose());
  EXPECT_TRUE(f.loaded());
  EXPECT_TRUE(f.unload());
  EXPECT_FALSE(f.loaded());
}

TEST(HeadlessMetrics, TextIsMeasuredWithTheDocumentedMetrics) {
  HeadlessToolkit tk;
  Font verdana{"Verdana", 8.25, false, false};
  EXPECT_EQ(tk.measureText(verdana, "abc"), (Size{270, 195}));
  EXPECT_EQ(tk.measureText(verdana, "ab\r\nabcd\r\n"), (Size{360, 585}));
  EXPECT_EQ(tk.measureText(verdana, "é"), (Size{90, 195}));
}

}  // namespace
}  // namespace quilbert::forms
