// The Win32 view for a screen reader and the keyboard: what MSAA tells of a
// control, the system's own Tab order, and what shows the focus and the
// colours when high contrast is on.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/view/win32_toolkit.h"
#include "win32_test_support.h"

namespace quilbert::win32view {
namespace {

using namespace forms;

using testing::pumpUntil;

// The windows the system's dialog order goes through, from its first.
std::vector<HWND> systemTabOrder(HWND form) {
  std::vector<HWND> order;
  for (HWND w = GetNextDlgTabItem(form, nullptr, FALSE);
       w != nullptr && (order.empty() || w != order.front()) && order.size() < 20;
       w = GetNextDlgTabItem(form, w, FALSE)) {
    order.push_back(w);
  }
  return order;
}

std::wstring said(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  const HRESULT r = (acc->*get)(self, &text);
  std::wstring s = SUCCEEDED(r) && text != nullptr ? text : L"(failed)";
  SysFreeString(text);
  return s;
}

std::set<COLORREF> colorsOf(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  HDC dc = GetDC(w);
  std::set<COLORREF> colors;
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x) colors.insert(GetPixel(dc, x, y));
  }
  ReleaseDC(w, dc);
  return colors;
}

TEST(Win32Accessibility, ReadersHearTheModelInTheOrderTabFollows) {
  Win32Toolkit tk;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Form f(tk, "rows");
  f.setClientSize({6000, 3000});
  auto& quit = f.add<FlatButton>("quit");  // made first, reached last
  quit.move({4500, 2000, 1200, 500});
  quit.setCaption("&Quitter");
  quit.setTabIndex(9);
  auto& frame = f.add<Frame>("Frame1");
  frame.move({120, 120, 4200, 2400});
  auto& check = f.add<CheckBox>("lettreactive", 1, &frame);
  check.move({240, 480, 225, 225});
  check.setAccessibleName("Activer F:");
  auto& path = f.add<TextBox>("Cheminreseau", 1, &frame);
  path.move({600, 480, 3000, 285});
  f.show();
  HWND form = Win32Toolkit::windowOf(f);
  const auto windowsOf = [](std::initializer_list<const Control*> cs) {
    std::vector<HWND> ws;
    for (const Control* c : cs) ws.push_back(Win32Toolkit::windowOf(*c));
    return ws;
  };
  EXPECT_EQ(systemTabOrder(form), windowsOf({&check, &path, &quit}));
  quit.setTabIndex(0);
  EXPECT_EQ(systemTabOrder(form), windowsOf({&quit, &check, &path}));

  HWND box = Win32Toolkit::windowOf(check);
  IAccessible* acc = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(box, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(&acc)),
            S_OK);
  EXPECT_EQ(said(acc, &IAccessible::get_accName), L"Activer F:");
  // Read at each question: a description set later is heard from the same object.
  check.setAccessibleDescription("Connecté à \\\\ATLAS\\documents");
  EXPECT_EQ(said(acc, &IAccessible::get_accDescription), L"Connecté à \\\\ATLAS\\documents");
  // A reader keeping the object after the window went hears nothing from it.
  f.unload();
  ASSERT_TRUE(pumpUntil(tk, [&] { return IsWindow(box) == FALSE; }));
  EXPECT_EQ(said(acc, &IAccessible::get_accName), L"(failed)");
  acc->Release();
  CoUninitialize();
}

TEST(Win32Accessibility, FocusAndHighContrastShowOnOwnerDrawnAndCaptionlessControls) {
  Win32Toolkit tk;
  Form f(tk, "colours");
  f.setClientSize({6000, 3000});
  auto& other = f.add<TextBox>("Cheminreseau", 1);
  other.move({120, 120, 3000, 285});
  auto& check = f.add<CheckBox>("lettreactive", 1);
  check.move({120, 600, 225, 225});
  auto& button = f.add<FlatButton>("Test", 1);
  button.move({600, 600, 1200, 500});
  button.setCaption("Tester");
  auto& sign = f.add<Label>("etatlettre", 1);
  sign.move({2000, 600, 600, 400});
  sign.setCaption("F:");
  sign.setFont({"Verdana", 14, true, false});
  constexpr Color kGreen{0, 112, 0};
  sign.setForeColor(kGreen);
  f.show();
  other.setFocus();
  ASSERT_TRUE(pumpUntil(tk, [&] { return GetFocus() == Win32Toolkit::windowOf(other); }));
  for (Control* c : std::initializer_list<Control*>{&check, &button}) {
    HWND w = Win32Toolkit::windowOf(*c);
    pumpUntil(
        tk, [] { return false; }, 200);
    const std::set<COLORREF> unfocused = colorsOf(w);
    c->setFocus();
    pumpUntil(
        tk, [] { return false; }, 200);
    EXPECT_NE(colorsOf(w), unfocused) << c->name() << ": the focus does not show";
  }

  tk.systemColorsChanged(true);
  pumpUntil(
      tk, [] { return false; }, 300);
  const std::set<COLORREF> signColors = colorsOf(Win32Toolkit::windowOf(sign));
  EXPECT_EQ(signColors.count(RGB(kGreen.r, kGreen.g, kGreen.b)), 0U);
  EXPECT_EQ(signColors.count(GetSysColor(COLOR_WINDOWTEXT)), 1U) << "the sign is not drawn";
  EXPECT_EQ(colorsOf(Win32Toolkit::windowOf(button)).count(GetSysColor(COLOR_BTNTEXT)), 1U);
  HDC dc = GetDC(Win32Toolkit::windowOf(f));
  EXPECT_EQ(GetPixel(dc, 300, 150), GetSysColor(COLOR_WINDOW));
  ReleaseDC(Win32Toolkit::windowOf(f), dc);
}

}  // namespace
}  // namespace quilbert::win32view
