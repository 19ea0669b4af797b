// The Win32 view under a real window system (Wine on an X display): input is
// sent with SendInput, as a keyboard and a mouse send it, and must reach the
// form model's handlers through the toolkit's own loops.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>
// clang-format off
#include <shellapi.h>  // after windows.h, which it needs
// clang-format on

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/win32/view/win32_toolkit.h"
#include "win32_test_support.h"

namespace quilbert::win32view {
namespace {

using namespace forms;

const std::string kArt = QUILBERT_SOURCE_DIR "/ico/";

using testing::pumpUntil;

void sendKey(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

void press(WORD vk) {
  sendKey(vk, true);
  sendKey(vk, false);
}

// Each character as the keyboard layout types it, with Shift where it needs it.
void type(const std::wstring& text) {
  for (wchar_t ch : text) {
    const SHORT scan = VkKeyScanW(ch);
    const bool shift = (HIBYTE(scan) & 1) != 0;
    if (shift) sendKey(VK_SHIFT, true);
    press(LOBYTE(scan));
    if (shift) sendKey(VK_SHIFT, false);
  }
}

void click(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  const int x = (r.left + r.right) / 2;
  const int y = (r.top + r.bottom) / 2;
  INPUT in[3]{};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

// A window's rectangle in its parent's client coordinates.
RECT placeOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring textOf(HWND w) {
  wchar_t buf[512] = {};
  GetWindowTextW(w, buf, 512);
  return buf;
}

struct Sample {
  Frame* frame;
  TextBox* path;
  TextBox* password;
  CheckBox* check;
  FlatButton* command;
  ListBox* list;
  Label* label;
  MenuItem* english;
  MenuItem* french;
  Image* image;
  FlatButton* browse;
};

Sample buildSample(Form& f) {
  f.setCaption("Fenêtre d'essai");
  f.setClientSize({8670, 5400});
  f.setBorderStyle(BorderStyle::FixedSingle);
  Sample s{};
  s.frame = &f.add<Frame>("Frame1");
  s.frame->move({120, 120, 6615, 2400});
  s.frame->setCaption("Identification des connections");
  s.frame->setFont({"Verdana", 8.25, true, false});
  s.check = &f.add<CheckBox>("lettreactive", 1, s.frame);
  s.check->move({840, 510, 225, 225});
  s.path = &f.add<TextBox>("Cheminreseau", 1, s.frame);
  s.path->move({1890, 480, 3915, 255});
  s.path->setFont({"MS Sans Serif", 8.25, false, false});
  s.password = &f.add<TextBox>("password", 0, s.frame);
  s.password->move({1890, 900, 1365, 270});
  s.password->setPasswordChar(U'l');
  s.label = &f.add<Label>("Etat", 0, s.frame);
  s.label->move({150, 1500, 1800, 600});
  s.label->setCaption("Un texte assez long pour aller à la ligne");
  s.command = &f.add<FlatButton>("connection");
  s.command->move({6870, 240, 1635, 825});
  s.command->setCaption("&Connecter");
  s.command->setPicture({kArt + "windows/w_connection_ac.ico", 16, 16});
  s.command->setMaskColor(Color::fromBgr(0x00C0C0FF));
  s.image = &f.add<Image>("Image1");
  s.image->move({7530, 1320, 240, 240});
  s.image->setPicture({kArt + "tray16.ico", 16, 16});
  s.browse = &f.add<FlatButton>("Parcourir", 1, s.frame);
  s.browse->move({270, 480, 405, 255});
  s.browse->setPicture({kArt + "browse3.bmp", 21, 13});
  s.browse->setEnabled(false);
  s.list = &f.add<ListBox>("List1");
  s.list->move({120, 2640, 3300, 1500});
  s.list->addItem("\\\\server\\share");
  auto& lang = f.addMenu("menu_langue", "&Langue");
  s.english = &lang.add("langue", "Anglais", 0);
  s.french = &lang.add("langue", "Français", 1);
  s.french->setChecked(true);
  return s;
}

class Win32ViewTest : public ::testing::Test {
 protected:
  Win32Toolkit tk_;
};

TEST_F(Win32ViewTest, ControlsSitAtTheirDesignedPlacesAndFollowTheModel) {
  Form f(tk_, "sample");
  Sample s = buildSample(f);
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.paintCount() > 0; }));
  EXPECT_EQ(textOf(w), L"Fenêtre d'essai");
  // A fixed single border: no sizing frame, no minimize or maximize box.
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0U);
  EXPECT_NE(style & WS_SYSMENU, 0U);

  // Twips to pixels at the screen's own dpi; children relative to their frame.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // The run at another dpi says which it set, so that it cannot pass at 96 unseen.
  if (const char* want = std::getenv("QUILBERT_EXPECT_DPI")) {
    EXPECT_EQ(dpi, std::atoi(want));
  }
  EXPECT_DOUBLE_EQ(tk_.twipsPerPixel(), 1440.0 / dpi);
  const auto px = [&](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, px(8670));
  EXPECT_EQ(client.bottom, px(5400));
  HWND frame = Win32Toolkit::windowOf(*s.frame);
  HWND path = Win32Toolkit::windowOf(*s.path);
  EXPECT_EQ(GetParent(path), frame);
  const RECT p = placeOf(path);
  EXPECT_EQ(p.left, px(1890));
  EXPECT_EQ(p.top, px(480));
  EXPECT_EQ(p.right - p.left, px(3915));
  EXPECT_EQ(placeOf(frame).top, px(120));
  // The outer size the model reports is the real window's.
  RECT outer{};
  GetWindowRect(w, &outer);
  EXPECT_EQ(px(f.height()), outer.bottom - outer.top);
  // Pictures are drawn: the icon of an image, a disabled button's own picture.
  // How many pixels of a control differ from the colour behind its picture.
  const auto drawn = [](HWND control, Color back) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(control);
    RECT r{};
    GetClientRect(control, &r);
    int pixels = 0;
    for (int y = 0; y < r.bottom; ++y) {
      for (int x = 0; x < r.right; ++x) {
        pixels += GetPixel(dc, x, y) != RGB(back.r, back.g, back.b) ? 1 : 0;
      }
    }
    ReleaseDC(control, dc);
    return pixels;
  };
  EXPECT_GT(drawn(Win32Toolkit::windowOf(*s.image), f.backColor()), 40);
  EXPECT_GT(drawn(Win32Toolkit::windowOf(*s.browse), s.browse->backColor()), 40);

  // Values set from code reach the controls.
  s.check->setValue(2);
  EXPECT_EQ(SendMessageW(Win32Toolkit::windowOf(*s.check), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  s.path->setText("\\\\serveur\\données");
  EXPECT_EQ(textOf(path), L"\\\\serveur\\données");
  s.list->addItem("\\\\server\\music");
  EXPECT_EQ(SendMessageW(Win32Toolkit::windowOf(*s.list), LB_GETCOUNT, 0, 0), 2);
  s.list->clear();
  s.list->addItem("only");
  EXPECT_EQ(SendMessageW(Win32Toolkit::windowOf(*s.list), LB_GETCOUNT, 0, 0), 1);
  EXPECT_NE(SendMessageW(Win32Toolkit::windowOf(*s.password), EM_GETPASSWORDCHAR, 0, 0), 0);
  // A new control array element gets its own window in its container.
  auto& second = f.loadElement<TextBox>("Cheminreseau", 2);
  second.setTop(780);
  ASSERT_NE(Win32Toolkit::windowOf(second), nullptr);
  EXPECT_EQ(GetParent(Win32Toolkit::windowOf(second)), frame);
  EXPECT_EQ(placeOf(Win32Toolkit::windowOf(second)).top, px(780));

  // Menus: captions, check marks, and a change made later.
  HMENU bar = GetMenu(w);
  ASSERT_NE(bar, nullptr);
  HMENU langue = GetSubMenu(bar, 0);
  EXPECT_NE(GetMenuState(langue, 1, MF_BYPOSITION) & MF_CHECKED, 0U);
  s.english->setChecked(true);
  s.french->setChecked(false);
  tk_.processEvents();  // the bar is built again once the changes are done
  langue = GetSubMenu(GetMenu(w), 0);
  EXPECT_NE(GetMenuState(langue, 0, MF_BYPOSITION) & MF_CHECKED, 0U);
  EXPECT_EQ(GetMenuState(langue, 1, MF_BYPOSITION) & MF_CHECKED, 0U);

  // Keep-on-top and back, in place.
  ASSERT_TRUE(tk_.setTopMost(f, true));
  EXPECT_NE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  ASSERT_TRUE(tk_.setTopMost(f, false));
  EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT after{};
  GetWindowRect(w, &after);
  EXPECT_EQ(after.left, outer.left);
  // Off the task list: owned by a hidden window, no longer an application window.
  tk_.hideFromTaskList();
  EXPECT_EQ(GetWindow(w, GW_OWNER), tk_.hiddenOwner());
  EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  f.unload();
  EXPECT_EQ(Win32Toolkit::windowOf(f), nullptr);
}

// Catches a control window made before the first show (the hidden main
// window's cost), and one that misses what the model was told while it had none.
TEST_F(Win32ViewTest, ControlWindowsAreMadeAtTheFirstShowFromTheModelsState) {
  Form f(tk_, "sample");
  Sample s = buildSample(f);
  f.load();
  s.path->setText("changed while hidden");
  s.check->setValue(2);
  s.label->setCaption("Q:");
  auto& second = f.loadElement<TextBox>("Cheminreseau", 2);
  second.setText("second");
  s.password->setFocus();
  for (const auto& c : f.controls()) EXPECT_EQ(Win32Toolkit::windowOf(*c), nullptr) << c->name();

  f.show();
  HWND frame = Win32Toolkit::windowOf(*s.frame);
  struct Expected {
    const Control* control;
    std::function<bool(HWND)> right;
  };
  const Expected table[] = {
      {s.path, [](HWND w) { return textOf(w) == L"changed while hidden"; }},
      {&second,
       [&](HWND w) {
         return textOf(w) == L"second" && IsWindowVisible(w) && GetParent(w) == frame;
       }},
      {s.check, [](HWND w) { return SendMessageW(w, BM_GETCHECK, 0, 0) == BST_INDETERMINATE; }},
      {s.browse, [](HWND w) { return IsWindowEnabled(w) == FALSE; }},
      {s.command, [](HWND w) { return IsWindowEnabled(w) && textOf(w) == L"&Connecter"; }},
      {s.label, [](HWND w) { return textOf(w) == L"Q:"; }},
      // Made in the model's order: the first in the frame stacks on top.
      {s.frame, [&](HWND w) { return GetWindow(w, GW_CHILD) == Win32Toolkit::windowOf(*s.check); }},
      {s.password, [&](HWND w) { return pumpUntil(tk_, [w] { return GetFocus() == w; }); }},
  };
  for (const Expected& e : table) {
    HWND w = Win32Toolkit::windowOf(*e.control);
    ASSERT_NE(w, nullptr) << e.control->name();
    EXPECT_TRUE(e.right(w)) << e.control->name();
  }
}
TEST_F(Win32ViewTest, KeyboardAndMouseReachTheHandlers) {
  Form f(tk_, "sample");
  Sample s = buildSample(f);
  int clicks = 0;
  int changes = 0;
  s.command->onClick = [&] { ++clicks; };
  s.path->onChange = [&] { ++changes; };
  std::vector<int> keys;
  s.path->onKeyDown = [&](int key, int /*shift*/) { keys.push_back(key); };
  int languageClicks = 0;
  s.english->onClick = [&] { ++languageClicks; };
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return GetForegroundWindow() == w; }));

  click(Win32Toolkit::windowOf(*s.command));
  ASSERT_TRUE(pumpUntil(tk_, [&] { return clicks == 1; }));
  // A user click on the check box: 0 -> 1 -> 0, and greyed becomes checked.
  click(Win32Toolkit::windowOf(*s.check));
  ASSERT_TRUE(pumpUntil(tk_, [&] { return s.check->value() == 1; }));
  click(Win32Toolkit::windowOf(*s.check));
  ASSERT_TRUE(pumpUntil(tk_, [&] { return s.check->value() == 0; }));
  s.check->setValue(2);
  click(Win32Toolkit::windowOf(*s.check));
  ASSERT_TRUE(pumpUntil(tk_, [&] { return s.check->value() == 1; }));

  // Typed text, capitals and backslashes included, lands in the model.
  s.path->setFocus();
  ASSERT_TRUE(pumpUntil(tk_, [&] { return GetFocus() == Win32Toolkit::windowOf(*s.path); }));
  type(L"\\\\Srv\\Data");
  ASSERT_TRUE(pumpUntil(tk_, [&] { return s.path->text() == "\\\\Srv\\Data"; })) << s.path->text();
  EXPECT_GE(changes, 10);
  EXPECT_EQ(keys.front(), VK_OEM_5);  // the model hears the keys too
  EXPECT_EQ(f.focused(), s.path);

  // Tab goes to the next control in creation order; arrows on a button do not move the focus.
  press(VK_TAB);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.focused() == s.password; }));
  EXPECT_EQ(GetFocus(), Win32Toolkit::windowOf(*s.password));
  press(VK_TAB);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.focused() == s.command; }));
  press(VK_DOWN);
  press(VK_RIGHT);
  pumpUntil(
      tk_, [] { return false; }, 200);
  EXPECT_EQ(f.focused(), s.command);
  sendKey(VK_SHIFT, true);
  press(VK_TAB);
  sendKey(VK_SHIFT, false);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.focused() == s.password; }));

  // Alt and a button's access key press the button; a menu's opens the menu.
  sendKey(VK_MENU, true);
  press('C');
  sendKey(VK_MENU, false);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return clicks == 2; }));
  // Alt+L opens "&Langue", Enter chooses its first item.
  sendKey(VK_MENU, true);
  press('L');
  sendKey(VK_MENU, false);
  press(VK_RETURN);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return languageClicks == 1; }));
  EXPECT_EQ(clicks, 2);
}

TEST_F(Win32ViewTest, MenuCommandsStillWorkAfterSeventyThousandItemsWereBuilt) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 2000});
  auto& lang = f.addMenu("menu_langue", "&Langue");
  std::vector<MenuItem*> items;
  for (int k = 0; k < 70; ++k)
    items.push_back(&lang.add("langue", "Langue " + std::to_string(k), k));
  int clicks = 0;
  items[0]->onClick = [&] { ++clicks; };
  f.load();
  // A resident program builds its bar anew at every show, hide or setting
  // change: 1,000 builds of 70 items, as many items as a click can name.
  for (int i = 0; i < 1000; ++i) {
    items[1]->setChecked(i % 2 == 0);
    tk_.processEvents();
  }
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return GetForegroundWindow() == w; }));
  sendKey(VK_MENU, true);
  press('L');
  sendKey(VK_MENU, false);
  press(VK_RETURN);
  EXPECT_TRUE(pumpUntil(tk_, [&] { return clicks == 1; }));
}

// A small dialog: a message, OK as the default button, Cancel as the cancel one.
struct Question : Form {
  explicit Question(Toolkit& tk) : Form(tk, "Dialog") {
    setCaption("Question");
    setClientSize({4000, 1500});
    setBorderStyle(BorderStyle::FixedDialog);
    ok.move({600, 900, 1215, 375});
    ok.setCaption("OK");
    ok.setDefault(true);
    cancel.move({2100, 900, 1215, 375});
    cancel.setCaption("Annuler");
    cancel.setCancel(true);
    ok.onClick = [this] { answer("ok"); };
    cancel.onClick = [this] { answer("cancel"); };
    onQueryUnload = [this](int& refuse, UnloadReason reason) {
      if (reason == UnloadReason::ControlMenu) answer("closed");
      refuse = refuseClose ? 1 : 0;
    };
    timer.setInterval(50);
    timer.onTick = [this] {
      ++ticks;
      if (onTick) onTick();
    };
  }
  void answer(const std::string& a) {
    answers.push_back(a);
    if (a != "closed") hide();
  }
  PushButton& ok = add<PushButton>("OK");
  PushButton& cancel = add<PushButton>("Cancel");
  Timer& timer = add<Timer>("Timer1");
  std::vector<std::string> answers;
  std::function<void()> onTick;
  bool refuseClose = false;
  int ticks = 0;
};

TEST_F(Win32ViewTest, ModalDialogIsAnsweredByItsButtonsItsCloseBoxAndEscape) {
  // Its timer ticks inside the modal loop; from there the user answers.
  const auto run = [&](const std::function<void(Question&)>& act) {
    Question q(tk_);
    q.timer.setTimerEnabled(true);
    q.onTick = [&] {
      if (q.ticks == 2) act(q);
    };
    q.showModal();
    EXPECT_FALSE(q.visible());
    EXPECT_GE(q.ticks, 2);
    // Wine's X driver settles its key and button state when the focus moves;
    // give it the time before the next window takes the focus.
    pumpUntil(
        tk_, [] { return false; }, 300);
    return q.answers;
  };
  EXPECT_EQ(run([](Question&) { press(VK_RETURN); }), std::vector<std::string>{"ok"});
  EXPECT_EQ(run([](Question&) { press(VK_ESCAPE); }), std::vector<std::string>{"cancel"});
  EXPECT_EQ(run([](Question& q) { click(Win32Toolkit::windowOf(q.cancel)); }),
            std::vector<std::string>{"cancel"});
  // The close box asks first: refused once, the dialog stays; then it closes.
  const auto closes = run([](Question& q) {
    q.refuseClose = true;
    SendMessageW(Win32Toolkit::windowOf(q), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(q.visible());
    q.refuseClose = false;
    PostMessageW(Win32Toolkit::windowOf(q), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(closes, (std::vector<std::string>{"closed", "closed"}));
}

TEST_F(Win32ViewTest, TrayCallbackArrivesAsTheFormsMouseMove) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 2000});
  std::vector<std::pair<int, long>> moves;
  f.onMouseMove = [&](int button, int /*shift*/, float x, float /*y*/) {
    moves.emplace_back(button, std::lround(x / tk_.twipsPerPixel()));
  };
  f.load();
  ASSERT_TRUE(tk_.addTrayIcon(f, 1, "QUILBERT 2.0", {kArt + "tray16.ico", 16, 16}));
  EXPECT_FALSE(tk_.addTrayIcon(f, 1, "QUILBERT 2.0", {kArt + "tray16.ico", 16, 16}));
  // What the shell sends: the callback message, the icon's id, its mouse message.
  PostMessageW(Win32Toolkit::windowOf(f), WM_MOUSEMOVE, 1, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return !moves.empty(); }));
  EXPECT_EQ(moves.front(), std::make_pair(kLeftButton, long{WM_LBUTTONDBLCLK}));

  // A task bar that starts again has lost the icon; its broadcast brings it back.
  NOTIFYICONDATAA nid{};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = Win32Toolkit::windowOf(f);
  nid.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &nid));
  SendMessageW(nid.hWnd, Win32Toolkit::taskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
  EXPECT_TRUE(tk_.removeTrayIcon(f, 1));
  EXPECT_FALSE(tk_.removeTrayIcon(f, 1));

  // The pop-up menu: the chosen item's click has run when it returns.
  auto& menu = f.addMenu("menu", "Application");
  int shown = 0;
  menu.add("menu_agrandir", "Agrandir").onClick = [&] { ++shown; };
  menu.addSeparator("barre");
  menu.add("menu_quitter", "Quitter");
  f.show();
  ASSERT_TRUE(pumpUntil(tk_, [&] { return GetForegroundWindow() == Win32Toolkit::windowOf(f); }));
  press(VK_DOWN);
  press(VK_RETURN);
  tk_.popupMenu(f, menu, menu.find("menu_agrandir"));
  EXPECT_EQ(shown, 1);
}

TEST_F(Win32ViewTest, PicturesFillTheirBoxesAtTheScreensDpiAndAtANewOne) {
  // The status window: a picture box sized in twips for its 222 x 78 picture,
  // a bold label on it, and a browse button's 21 x 13 picture.
  Form f(tk_, "frmSplash");
  f.setClientSize({3330, 1170});
  f.setBorderStyle(BorderStyle::None);
  const Color none{255, 0, 255};  // a colour the artwork does not have
  auto& picture = f.add<PictureBox>("Picture1");
  picture.move({0, 0, 3330, 1170});
  picture.setBackColor(none);
  picture.setPicture(*tk_.loadPicture(kArt + "splash.bmp"));
  auto& label = f.add<Label>("Etat", 0, &picture);
  label.move({60, 660, 3195, 435});
  label.setFont({"Verdana", 8.25, true, false});
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.paintCount() > 0; }));
  HDC screen = GetDC(nullptr);
  const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  for (int dpi : {screenDpi, 192}) {
    if (dpi != screenDpi) {
      RECT suggested{10, 10, 500, 200};
      SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    const auto px = [&](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, px(3330)) << dpi;
    EXPECT_EQ(placeOf(Win32Toolkit::windowOf(label)).top, px(660)) << dpi;
    LOGFONTW font{};
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(Win32Toolkit::windowOf(label), WM_GETFONT, 0, 0)),
        sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -std::lround(8.25 * dpi / 72)) << dpi;
    // Nothing of the box shows beside the picture.
    HWND box = Win32Toolkit::windowOf(picture);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(box);
    RECT r{};
    GetClientRect(box, &r);
    int uncovered = 0;
    for (int y = 0; y < r.bottom; y += 2) {
      for (int x = 0; x < r.right; x += 2) {
        uncovered += GetPixel(dc, x, y) == RGB(none.r, none.g, none.b) ? 1 : 0;
      }
    }
    ReleaseDC(box, dc);
    EXPECT_EQ(uncovered, 0) << dpi;
  }
}

TEST_F(Win32ViewTest, AnIconTheTaskBarRefusedIsAddedOnceTheTaskBarIsThere) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 2000});
  f.load();
  // A task bar that takes no icon yet, as before the shell has started at
  // log-on: Shell_NotifyIcon finds it first and is refused.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&wc);
  NOTIFYICONDATAA nid{};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = Win32Toolkit::windowOf(f);
  nid.uID = 1;
  const auto shown = [&] { return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE; };
  // The shell's broadcast when it starts, and, when that was missed, the timer.
  for (bool broadcast : {true, false}) {
    HWND early = CreateWindowExW(WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(tk_.addTrayIcon(f, 1, "QUILBERT 2.0", {kArt + "tray16.ico", 16, 16}));
    DestroyWindow(early);
    EXPECT_FALSE(shown());
    if (broadcast) SendMessageW(nid.hWnd, Win32Toolkit::taskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(pumpUntil(tk_, shown, broadcast ? 0 : 5000)) << broadcast;
    EXPECT_TRUE(tk_.removeTrayIcon(f, 1));
  }
}

TEST_F(Win32ViewTest, TheEndOfTheSessionUnloadsTheFormWithoutAQuestion) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 2000});
  std::vector<UnloadReason> reasons;
  // The close box would be refused: unsaved edits ask first.
  f.onQueryUnload = [&](int& cancel, UnloadReason reason) {
    reasons.push_back(reason);
    cancel = reason == UnloadReason::ControlMenu ? 1 : 0;
  };
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_TRUE(reasons.empty());
  SendMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(reasons, std::vector<UnloadReason>{UnloadReason::WindowsSession});
  EXPECT_FALSE(f.loaded());
}

TEST_F(Win32ViewTest, AMinimizedWindowIsRestoredByTheIconAndBySecondStart) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 2000});
  f.setBorderStyle(BorderStyle::Sizable);
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_TRUE(tk_.addTrayIcon(f, 1, "QUILBERT 2.0", {kArt + "tray16.ico", 16, 16}));
  const std::vector<std::function<void()>> restorers = {
      [&] { PostMessageW(w, WM_MOUSEMOVE, 1, WM_LBUTTONDBLCLK); },  // the icon's double click
      [&] { tk_.show(f); },                                         // what a second start asks
  };
  for (const auto& restore : restorers) {
    ShowWindow(w, SW_MINIMIZE);
    ASSERT_TRUE(pumpUntil(tk_, [&] { return IsIconic(w) != FALSE; }));
    // Wine asks the window manager, whose late answer would minimize the
    // window again after a restore made at once: a person is never that quick.
    pumpUntil(
        tk_, [] { return false; }, 500);
    restore();
    EXPECT_TRUE(pumpUntil(tk_, [&] { return IsIconic(w) == FALSE && IsWindowVisible(w); }));
  }
}

TEST_F(Win32ViewTest, BrowserCallbackDrivesStatusTextAndOk) {
  Form owner(tk_, "connect");
  owner.setClientSize({3000, 2000});
  auto& timer = owner.add<Timer>("Timer1");
  owner.show();
  std::vector<std::wstring> texts;
  bool stacked = false;
  const auto browse = [&](bool enable, bool& okEnabled, std::wstring& status) {
    FolderBrowseRequest request;
    request.instruction = "Choisissez un partage :";
    request.title = "Connecteurs de lecteurs réseau";
    request.okCaption = "&Valider";
    request.cancelCaption = "A&nnuler";
    request.showStatusText = true;
    int calls = 0;
    request.onSelectionChanged = [&](FolderBrowserHandle& b, const std::optional<std::string>&) {
      ++calls;
      b.setStatusText("Un partage (\\\\serveur\\partage), pas un dossier ni un ordinateur");
      b.enableOk(enable);
    };
    // Looked at from the owner's timer while the browser runs its own loop.
    timer.onTick = [&] {
      HWND dialog = FindWindowW(L"#32770", nullptr);
      if (dialog == nullptr || calls == 0) return;
      timer.setTimerEnabled(false);
      okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
      // In the program's language, whatever the system's.
      texts = {textOf(dialog), textOf(GetDlgItem(dialog, IDOK)),
               textOf(GetDlgItem(dialog, IDCANCEL))};
      EnumChildWindows(
          dialog,
          [](HWND child, LPARAM data) -> BOOL {
            if (textOf(child).starts_with(L"Un partage"))
              *reinterpret_cast<std::wstring*>(data) = textOf(child);
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&status));
      // The instruction, the status (two lines here) and the tree, one below the other.
      const auto place = [&](int id) { return placeOf(GetDlgItem(dialog, id)); };
      stacked =
          place(0x3742).bottom <= place(0x3743).top && place(0x3743).bottom <= place(0x3741).top;
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    timer.setInterval(100);
    timer.setTimerEnabled(true);
    return tk_.browseForFolder(owner, request);
  };
  bool okEnabled = true;
  std::wstring status;
  EXPECT_EQ(browse(false, okEnabled, status), std::nullopt);
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(status, L"Un partage (\\\\serveur\\partage), pas un dossier ni un ordinateur");
  EXPECT_TRUE(stacked);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Connecteurs de lecteurs réseau", L"&Valider",
                                              L"A&nnuler"}));
  EXPECT_EQ(browse(true, okEnabled, status), std::nullopt);
  EXPECT_TRUE(okEnabled);
}

// A window designed taller than the screen's work area (the main window at
// 144 dpi on a 1280x800 screen) is drawn smaller: wholly on the screen, its
// lowest button in its client area and answering a click.
TEST_F(Win32ViewTest, AWindowTallerThanTheWorkAreaFitsIt) {
  Form f(tk_, "connect");
  f.setClientSize({8670, 8625});
  f.setBorderStyle(BorderStyle::FixedSingle);
  f.addMenu("menu", "Application").add("menu_quitter", "Quitter");
  auto& quit = f.add<FlatButton>("Command1");
  quit.move({6870, 7650, 1635, 825});
  quit.setCaption("&Quitter");
  int clicks = 0;
  quit.onClick = [&] { ++clicks; };
  f.show();
  HWND w = Win32Toolkit::windowOf(f);
  ASSERT_TRUE(pumpUntil(tk_, [&] { return f.paintCount() > 0; }));
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT outer{};
  // The window manager places the frame after us, late on a busy machine.
  EXPECT_TRUE(pumpUntil(tk_,
                        [&] {
                          GetWindowRect(w, &outer);
                          return outer.top >= area.top && outer.bottom <= area.bottom;
                        }))
      << outer.top << ".." << outer.bottom << " in " << area.top << ".." << area.bottom;
  RECT client{};
  HWND button = Win32Toolkit::windowOf(quit);
  // The window manager may still be taking the size in.
  EXPECT_TRUE(pumpUntil(tk_, [&] {
    GetClientRect(w, &client);
    return placeOf(button).bottom <= client.bottom;
  }));
  click(button);
  EXPECT_TRUE(pumpUntil(tk_, [&] { return clicks == 1; }));
}

}  // namespace
}  // namespace quilbert::win32view
