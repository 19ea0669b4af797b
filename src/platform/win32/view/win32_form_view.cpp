#include "platform/win32/view/win32_form_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/forms/tray_icons.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::fromAnsi;
using platform::win32::narrow;
using platform::win32::widen;

using forms::Control;
using forms::ControlKind;
using forms::Prop;

namespace {

COLORREF rgb(forms::Color c) {
  return RGB(c.r, c.g, c.b);
}

std::wstring windowText(HWND w) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Every control window runs through here first: the view decides what it
// handles, the control's own procedure does the rest.
LRESULT CALLBACK controlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR /*id*/,
                             DWORD_PTR /*data*/) {
  if (Win32FormView* v = Win32FormView::of(w)) {
    bool handled = false;
    const LRESULT r = v->controlMessage(w, msg, wp, lp, handled);
    if (handled) return r;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(w, controlProc, 0);
  return DefSubclassProc(w, msg, wp, lp);
}

// Draws a picture at its drawn size (its designed size at the screen's dpi).
void drawPicture(HDC dc, const Win32Toolkit::Image& im, int x, int y, bool disabled,
                 std::optional<forms::Color> mask) {
  const int w = im.drawnWidth;
  const int h = im.drawnHeight;
  if (im.icon != nullptr) {
    // Icons are loaded at the drawn size: the file's own larger image, if any.
    if (disabled) {
      DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(im.icon), 0, x, y, w, h,
                 DST_ICON | DSS_DISABLED);
    } else {
      DrawIconEx(dc, x, y, im.icon, w, h, 0, nullptr, DI_NORMAL);
    }
    return;
  }
  if (im.bitmap == nullptr) return;
  // A bitmap is drawn as it is, disabled or not: the windows give disabled
  // buttons a picture of their own.
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, im.bitmap);
  if (mask) {
    TransparentBlt(dc, x, y, w, h, mem, 0, 0, im.width, im.height, rgb(*mask));
  } else {
    const int oldMode = SetStretchBltMode(dc, w == im.width ? COLORONCOLOR : HALFTONE);
    POINT origin{};
    SetBrushOrgEx(dc, 0, 0, &origin);
    StretchBlt(dc, x, y, w, h, mem, 0, 0, im.width, im.height, SRCCOPY);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace

int currentShiftMask() {
  int mask = 0;
  if ((GetKeyState(VK_SHIFT) & 0x8000) != 0) mask |= 1;
  if ((GetKeyState(VK_CONTROL) & 0x8000) != 0) mask |= 2;
  if ((GetKeyState(VK_MENU) & 0x8000) != 0) mask |= 4;
  return mask;
}

Win32FormView* Win32FormView::of(HWND w) {
  if (w == nullptr) return nullptr;
  HWND root = GetAncestor(w, GA_ROOT);
  if (root == nullptr || GetClassLongPtrW(root, GCW_ATOM) != Win32Toolkit::formAtom()) {
    return nullptr;
  }
  return reinterpret_cast<Win32FormView*>(GetWindowLongPtrW(root, GWLP_USERDATA));
}

Win32FormView::Win32FormView(Win32Toolkit& toolkit, forms::Form& form)
    : toolkit_(toolkit), form_(form) {
  window_ = CreateWindowExW(exStyle(), Win32Toolkit::kFormClass, L"", style(), CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owned() ? toolkit.hiddenOwner() : nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  // Not owned by the form: under Wine a topmost owned pop-up keeps its owner
  // from being made topmost.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  toolkit_.viewOpened(*this);
  for (Prop p : {Prop::Caption, Prop::BackColor, Prop::Icon, Prop::Menu, Prop::Geometry}) {
    formChanged(p);
  }
}

Win32FormView::~Win32FormView() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  for (const auto& [id, timer] : timers_) KillTimer(window_, id);
  toolkit_.viewClosing(form_, window_);  // before the window goes: see Win32Toolkit::endModal
  ShowWindow(window_, SW_HIDE);
  toolkit_.destroyLater(tooltip_);
}

HWND Win32FormView::windowOf(const Control& c) const {
  auto it = windows_.find(&c);
  return it == windows_.end() ? nullptr : it->second;
}

Control* Win32FormView::controlOf(HWND w) const {
  auto it = controls_.find(w);
  return it == controls_.end() ? nullptr : it->second;
}

// ---- window styles and place

bool Win32FormView::owned() const {
  return !form_.showInTaskbar() || toolkit_.hiddenFromTaskList();
}

DWORD Win32FormView::style() const {
  DWORD s = WS_CLIPCHILDREN;
  using forms::BorderStyle;
  const BorderStyle b = form_.borderStyle();
  if (b == BorderStyle::None) return s | WS_POPUP;
  if (!form_.titleBar()) return s | WS_POPUP | WS_BORDER;
  // No minimize or maximize box but where the design asks for a sizable window.
  s |= WS_CAPTION | WS_SYSMENU;
  // A window off the task list is owned, and an owned window is a pop-up: the
  // same frame, and window managers under Wine take it for a dialog, which
  // they give the focus; some never focus a normal window off the task list.
  if (owned()) s |= WS_POPUP;
  if (b == BorderStyle::Sizable) s |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  return s;
}

DWORD Win32FormView::exStyle() const {
  DWORD s = 0;
  if (form_.borderStyle() == forms::BorderStyle::FixedDialog) s |= WS_EX_DLGMODALFRAME;
  if (form_.borderStyle() == forms::BorderStyle::FixedToolWindow) s |= WS_EX_TOOLWINDOW;
  if (form_.showInTaskbar() && !toolkit_.hiddenFromTaskList()) s |= WS_EX_APPWINDOW;
  return s;
}

void Win32FormView::applyStyle() {
  const auto oldStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  const auto oldEx = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  HWND owner = owned() ? toolkit_.hiddenOwner() : nullptr;
  const DWORD exMask = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW;
  // The bits this view decides; the system adds others (WS_CLIPSIBLINGS).
  const DWORD mask = WS_POPUP | WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME |
                     WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
  if ((oldStyle & mask) == style() && (oldEx & exMask) == exStyle() &&
      GetWindow(window_, GW_OWNER) == owner) {
    return;  // nothing changes: the window stays as it is, active or not
  }
  const bool visible = IsWindowVisible(window_) != FALSE;
  const bool active = GetActiveWindow() == window_;
  // The task list shows a window only when it is shown anew.
  if (visible) ShowWindow(window_, SW_HIDE);
  SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>((oldStyle & ~mask) | style()));
  SetWindowLongPtrW(window_, GWL_EXSTYLE, static_cast<LONG_PTR>((oldEx & ~exMask) | exStyle()));
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  SetWindowPos(window_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  applyClientSize();
  if (visible) ShowWindow(window_, active ? SW_SHOW : SW_SHOWNA);
  if (visible && active) SetForegroundWindow(window_);
}

int Win32FormView::px(int twips) const {
  return static_cast<int>(std::lround(twips * fit_ / toolkit_.twipsPerPixel()));
}

forms::Font Win32FormView::fitted(forms::Font f) const {
  if (fit_ < 1.0 && f.size > 0) f.size *= fit_;
  return f;
}

void Win32FormView::fitToWorkArea() {
  const forms::Size s = form_.clientSize();
  const int w = std::max(1, toolkit_.toPixels(s.width));
  const int h = std::max(1, toolkit_.toPixels(s.height));
  RECT frame{0, 0, w, h};
  AdjustWindowRectEx(&frame, style(), GetMenu(window_) != nullptr ? TRUE : FALSE, exStyle());
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &screen) == FALSE) {
    return;
  }
  const RECT& area = screen.rcWork;
  const double wide = static_cast<double>(area.right - area.left - (frame.right - frame.left - w));
  const double high = static_cast<double>(area.bottom - area.top - (frame.bottom - frame.top - h));
  // Never below half: a window that small would be of no use anyway.
  const double fit = std::clamp(std::min(wide / w, high / h), 0.5, 1.0);
  if (std::abs(fit - fit_) < 0.001) return;
  fit_ = fit;
  for (const auto& [hwnd, c] : controls_) {
    update(*c, Prop::Geometry, hwnd);
    update(*c, Prop::Font, hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
}

void Win32FormView::applyClientSize() {
  fitToWorkArea();
  const forms::Size s = form_.clientSize();
  const int w = std::max(1, px(s.width));
  const int h = std::max(1, px(s.height));
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, style(), GetMenu(window_) != nullptr ? TRUE : FALSE, exStyle());
  RECT client{};
  GetClientRect(window_, &client);
  if (client.right == w && client.bottom == h) {
    if (placed_ && !form_.centered()) place();
    return;  // a menu bar built anew with the same lines changes nothing
  }
  SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps takes more than one line: give the client its height back.
  GetClientRect(window_, &client);
  if (client.bottom != h && client.bottom > 0) {
    SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + h - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (placed_ && !form_.centered()) place();
}

void Win32FormView::place() {
  RECT outer{};
  GetWindowRect(window_, &outer);
  int x = toolkit_.toPixels(form_.left());
  int y = toolkit_.toPixels(form_.top());
  if (form_.centered()) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    x = (area.left + area.right - (outer.right - outer.left)) / 2;
    y = (area.top + area.bottom - (outer.bottom - outer.top)) / 2;
  }
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::showWindow() {
  applyMenuChanges();
  if (!placed_ || !form_.centered()) place();
  placed_ = true;
  paint_.shown();
  // A minimized window comes back as it was, not as an icon.
  ShowWindow(window_, IsIconic(window_) != FALSE ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
}

void Win32FormView::hideWindow() {
  ShowWindow(window_, SW_HIDE);
}

void Win32FormView::setTopMost(bool onTop) {
  topMost_ = onTop;
}

void Win32FormView::rescale() {
  for (const auto& [w, c] : controls_) {
    update(*c, Prop::Geometry, w);
    update(*c, Prop::Font, w);
    InvalidateRect(w, nullptr, TRUE);
  }
  applyClientSize();
  if (placed_ && form_.centered()) place();
}

// ---- controls

void Win32FormView::controlAdded(Control& c) {
  if (windows_.count(&c) != 0) return;
  if (c.kind() == ControlKind::Timer) {
    auto* t = static_cast<forms::Timer*>(&c);
    if (std::none_of(timers_.begin(), timers_.end(),
                     [&](const auto& e) { return e.second == t; })) {
      timers_[nextTimer_++] = t;
    }
    controlChanged(c, Prop::Timer);
    return;
  }
  if (c.kind() == ControlKind::ImageList) return;  // pictures for code, never shown
  if (c.parent() != nullptr && windowOf(*c.parent()) == nullptr) controlAdded(*c.parent());
  HWND w = createControl(c);
  windows_[&c] = w;
  controls_[w] = &c;
  SetWindowSubclass(w, controlProc, 0, 0);
  updateAll(c, w);
}

HWND Win32FormView::createControl(Control& c) {
  HWND parent = c.parent() != nullptr ? windowOf(*c.parent()) : window_;
  DWORD s = WS_CHILD | WS_CLIPSIBLINGS;
  const wchar_t* cls = L"STATIC";
  switch (c.kind()) {
    case ControlKind::Label:
      s |= SS_NOTIFY | SS_NOPREFIX;  // word wrap is the static control's own
      break;
    case ControlKind::FlatButton:
      cls = L"BUTTON";
      s |= BS_OWNERDRAW | WS_TABSTOP;
      break;
    case ControlKind::PushButton:
      cls = L"BUTTON";
      s |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::TextBox:
      cls = L"EDIT";
      s |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
      break;
    case ControlKind::CheckBox:
      cls = L"BUTTON";
      s |= BS_3STATE | WS_TABSTOP;
      break;
    case ControlKind::Frame:
      cls = L"BUTTON";
      s |= BS_GROUPBOX | WS_CLIPCHILDREN;
      break;
    case ControlKind::List:
      cls = L"LISTBOX";
      s |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
      break;
    case ControlKind::PictureBox:
      cls = Win32Toolkit::kPictureClass;
      s |= WS_CLIPCHILDREN | WS_TABSTOP;
      break;
    case ControlKind::Image:
      cls = Win32Toolkit::kPictureClass;
      break;
    case ControlKind::Line:
      cls = Win32Toolkit::kLineClass;
      break;
    case ControlKind::Timer:
    case ControlKind::ImageList:
      break;
  }
  // Made as it is to be: place, visibility, state and text in one call,
  // which saves Wine's server a round trip for each.
  if (c.visible()) s |= WS_VISIBLE;
  if (!c.enabled()) s |= WS_DISABLED;
  const RECT r = placeOf(c);
  return CreateWindowExW(0, cls, widen(textOf(c)).c_str(), s, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
                         GetModuleHandleW(nullptr), nullptr);
}

RECT Win32FormView::placeOf(const Control& c) const {
  if (c.kind() == ControlKind::Line) {
    const auto& line = static_cast<const forms::Line&>(c);
    const int pad = std::max(1, line.borderWidth());
    const int x1 = px(line.x1());
    const int y1 = px(line.y1());
    const int x2 = px(line.x2());
    const int y2 = px(line.y2());
    const int left = std::min(x1, x2) - pad;
    const int top = std::min(y1, y2) - pad;
    return {left, top, left + std::abs(x2 - x1) + 2 * pad + 1,
            top + std::abs(y2 - y1) + 2 * pad + 1};
  }
  const int left = px(c.left());
  const int top = px(c.top());
  return {left, top, left + std::max(0, px(c.width())), top + std::max(0, px(c.height()))};
}

std::string Win32FormView::textOf(const Control& c) {
  switch (c.kind()) {
    case ControlKind::Label:
      return static_cast<const forms::Label&>(c).caption();
    case ControlKind::FlatButton:
      return static_cast<const forms::FlatButton&>(c).caption();
    case ControlKind::PushButton:
      return static_cast<const forms::PushButton&>(c).caption();
    case ControlKind::CheckBox:
      return static_cast<const forms::CheckBox&>(c).caption();
    case ControlKind::Frame:
      return static_cast<const forms::Frame&>(c).caption();
    case ControlKind::TextBox:
      return static_cast<const forms::TextBox&>(c).text();
    default:
      return {};
  }
}

void Win32FormView::updateAll(Control& c, HWND w) {
  // Place, visibility, state and text were given when the window was made.
  for (Prop p : {Prop::Font, Prop::Style, Prop::Value, Prop::Items, Prop::ToolTip}) {
    if (p == Prop::Style && c.kind() == ControlKind::TextBox) continue;  // done with the font
    update(c, p, w);
  }
}

void Win32FormView::controlChanged(Control& c, Prop p) {
  if (p == Prop::Timer) {
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [&](const auto& e) { return e.second == &c; });
    if (it == timers_.end()) return;
    const auto& t = static_cast<const forms::Timer&>(c);
    // Any change starts the interval afresh, as a classic timer does.
    if (t.timerEnabled() && t.interval() > 0) {
      SetTimer(window_, it->first, static_cast<UINT>(t.interval()), nullptr);
    } else {
      KillTimer(window_, it->first);
    }
    return;
  }
  if (HWND w = windowOf(c)) update(c, p, w);
}

void Win32FormView::update(Control& c, Prop p, HWND w) {
  const ControlKind kind = c.kind();
  switch (p) {
    case Prop::Geometry: {
      const RECT r = placeOf(c);
      MoveWindow(w, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      return;
    }
    case Prop::Visible:
      ShowWindow(w, c.visible() ? SW_SHOWNA : SW_HIDE);
      return;
    case Prop::Enabled: {
      // A control about to be disabled hands the focus to the next one first,
      // so that the window keeps the keyboard (Wine gives the focus up
      // altogether when a focused window is disabled).
      if (!c.enabled() && GetFocus() == w) tabFrom(&c, false);
      EnableWindow(w, c.enabled() ? TRUE : FALSE);
      return;
    }
    case Prop::ToolTip: {
      TOOLINFOW ti{};
      ti.cbSize = sizeof ti;
      ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      ti.hwnd = window_;
      ti.uId = reinterpret_cast<UINT_PTR>(w);
      SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
      if (c.toolTip().empty()) return;
      std::wstring text = widen(c.toolTip());
      ti.lpszText = text.data();
      SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
      return;
    }
    case Prop::Font:
      SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.font(fitted(c.font()))), TRUE);
      if (kind == ControlKind::TextBox) update(c, Prop::Style, w);
      return;
    case Prop::ForeColor:
    case Prop::BackColor:
    case Prop::Picture:
      InvalidateRect(w, nullptr, TRUE);
      return;
    case Prop::Caption:
    case Prop::Text: {
      if (userEditing_) return;  // the box shows it already, caret and all
      const std::string text = textOf(c);
      const std::wstring wide = widen(text);
      if (windowText(w) != wide) {
        settingText_ = true;
        SetWindowTextW(w, wide.c_str());
        settingText_ = false;
      }
      // The same text set again: the box shows its start, as it does when
      // given a new one.
      if (kind == ControlKind::TextBox) {
        SendMessageW(w, EM_SETSEL, 0, 0);
        SendMessageW(w, EM_SCROLLCARET, 0, 0);
      }
      if (kind == ControlKind::Frame) InvalidateRect(w, nullptr, TRUE);
      return;
    }
    case Prop::Value: {
      if (kind != ControlKind::CheckBox) return;
      const int v = static_cast<const forms::CheckBox&>(c).value();
      SendMessageW(w, BM_SETCHECK,
                   v == 1   ? BST_CHECKED
                   : v == 2 ? BST_INDETERMINATE
                            : BST_UNCHECKED,
                   0);
      return;
    }
    case Prop::Items:
      if (kind == ControlKind::List) syncList(static_cast<forms::ListBox&>(c), w);
      return;
    case Prop::Style: {
      if (kind == ControlKind::Label) {
        auto s = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE)) & ~DWORD{SS_TYPEMASK};
        switch (static_cast<const forms::Label&>(c).alignment()) {
          case forms::Alignment::Right:
            s |= SS_RIGHT;
            break;
          case forms::Alignment::Center:
            s |= SS_CENTER;
            break;
          case forms::Alignment::Left:
            s |= SS_LEFT;
            break;
        }
        SetWindowLongPtrW(w, GWL_STYLE, static_cast<LONG_PTR>(s));
        InvalidateRect(w, nullptr, TRUE);
      } else if (kind == ControlKind::PushButton) {
        const bool def = static_cast<const forms::PushButton&>(c).isDefault();
        SendMessageW(w, BM_SETSTYLE, def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
      } else if (kind == ControlKind::TextBox) {
        const auto& box = static_cast<const forms::TextBox&>(c);
        wchar_t mask = 0;
        if (box.passwordChar() != 0) {
          // The designed mask is a letter of a symbol font; where that font
          // is missing the letter would show as itself, so a bullet stands in.
          mask = box.font().symbol && !toolkit_.hasFace(box.font().name)
                     ? L'*'
                     : static_cast<wchar_t>(box.passwordChar());
        }
        SendMessageW(w, EM_SETPASSWORDCHAR, mask, 0);
        if (mask == L'*') {
          forms::Font plain = box.font();
          plain.name = "MS Sans Serif";
          plain.symbol = false;
          SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.font(fitted(plain))), TRUE);
        }
        // The border is drawn in the box's border colour.
        SetWindowPos(w, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(w, nullptr, TRUE);
      }
      return;
    }
    case Prop::Timer:
    case Prop::Menu:
    case Prop::Icon:
      return;
  }
}

void Win32FormView::syncList(forms::ListBox& list, HWND w) {
  std::size_t& shown = listCounts_[&list];
  const auto& items = list.items();
  if (items.size() < shown) {
    SendMessageW(w, LB_RESETCONTENT, 0, 0);
    shown = 0;
  }
  if (items.size() == shown) return;
  const bool many = items.size() - shown > 50;
  if (many) SendMessageW(w, WM_SETREDRAW, FALSE, 0);
  for (; shown < items.size(); ++shown) {
    const std::wstring text = widen(items[shown]);
    SendMessageW(w, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (many) {
    SendMessageW(w, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(w, nullptr, TRUE);
  }
}

// ---- the form

void Win32FormView::formChanged(Prop p) {
  switch (p) {
    case Prop::Caption:
      SetWindowTextW(window_, widen(form_.caption()).c_str());
      return;
    case Prop::Geometry:
      applyClientSize();
      return;
    case Prop::BackColor:
      InvalidateRect(window_, nullptr, TRUE);
      return;
    case Prop::Style:
      applyStyle();
      return;
    case Prop::Icon: {
      const auto& icon = form_.icon();
      HICON h = icon.empty() ? nullptr : toolkit_.image(icon.file).icon;
      SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(h));
      SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(h));
      return;
    }
    case Prop::Menu:
      rebuildMenuBar();
      return;
    default:
      return;
  }
}

// ---- menus

UINT Win32FormView::commandOf(forms::MenuItem& item) {
  // One id per item for the form's life: a bar built anew thousands of times
  // (every show, hide and setting change) keeps within a click's 16 bits.
  auto [it, added] = commandIds_.try_emplace(&item, 0);
  if (added) {
    it->second = kFirstCommand + static_cast<UINT>(commands_.size());
    commands_[it->second] = &item;
  }
  return it->second;
}

void Win32FormView::rebuildMenuBar() {
  menuPending_ = false;
  HMENU old = GetMenu(window_);
  HMENU bar = nullptr;
  if (form_.hasVisibleMenu()) {
    bar = CreateMenu();
    for (const auto& top : form_.menus()) {
      if (!top->visible()) continue;
      const std::wstring caption = widen(top->caption());
      UINT flags = top->enabled() ? MF_ENABLED : MF_GRAYED;
      if (top->items().empty()) {
        AppendMenuW(bar, MF_STRING | flags, commandOf(*top), caption.c_str());
      } else {
        HMENU sub = CreatePopupMenu();
        fillMenu(sub, *top);
        AppendMenuW(bar, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
      }
    }
  }
  SetMenu(window_, bar);
  if (old != nullptr) DestroyMenu(old);
  applyClientSize();
}

void Win32FormView::fillMenu(HMENU menu, forms::MenuItem& parent) {
  for (const auto& child : parent.items()) {
    forms::MenuItem* item = child.get();
    if (!item->visible()) continue;
    if (item->isSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring caption = widen(item->caption());
    UINT flags = (item->enabled() ? MF_ENABLED : MF_GRAYED) | (item->checked() ? MF_CHECKED : 0);
    if (!item->items().empty()) {
      HMENU sub = CreatePopupMenu();
      fillMenu(sub, *item);
      AppendMenuW(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    } else {
      AppendMenuW(menu, MF_STRING | flags, commandOf(*item), caption.c_str());
    }
  }
}

void Win32FormView::menuChanged(forms::MenuItem& /*item*/) {
  // Menus are small: building the bar anew keeps every caption, check mark
  // and separator as the model has it. A load changes many items at once, so
  // the bar is built once they are done, before any input can reach it.
  if (GetMenu(window_) == nullptr || !form_.hasVisibleMenu()) {
    rebuildMenuBar();
    return;
  }
  if (menuPending_) return;
  menuPending_ = true;
  PostMessageW(window_, kMenuMessage, 0, 0);
}

void Win32FormView::applyMenuChanges() {
  if (!menuPending_) return;
  menuPending_ = false;
  rebuildMenuBar();
  DrawMenuBar(window_);
}

// ---- keys and focus

void Win32FormView::tabFrom(Control* c, bool backwards) {
  std::vector<Control*> order = form_.tabOrder();
  std::erase_if(order, [&](const Control* ctl) { return windowOf(*ctl) == nullptr; });
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), c);
  std::size_t next = 0;
  if (it == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const auto at = static_cast<std::size_t>(it - order.begin());
    next = backwards ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
  }
  HWND w = windowOf(*order[next]);
  SetFocus(w);
  // A text box taking the focus by Tab shows its whole text selected.
  if (order[next]->kind() == ControlKind::TextBox) SendMessageW(w, EM_SETSEL, 0, -1);
}

Control* Win32FormView::accessKeyTarget(wchar_t key) const {
  const wchar_t upper = static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(key)))));
  for (const auto& c : form_.controls()) {
    const std::string* caption = nullptr;
    if (auto* f = dynamic_cast<forms::FlatButton*>(c.get())) caption = &f->caption();
    if (auto* p = dynamic_cast<forms::PushButton*>(c.get())) caption = &p->caption();
    if (auto* x = dynamic_cast<forms::CheckBox*>(c.get())) caption = &x->caption();
    if (caption == nullptr || !c->effectivelyEnabled() || !c->effectivelyVisible()) continue;
    const std::wstring text = widen(*caption);
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != L'&') continue;
      if (text[i + 1] == L'&') {
        ++i;
        continue;
      }
      const wchar_t k = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
          CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(text[i + 1])))));
      if (k == upper) return c.get();
      break;
    }
  }
  return nullptr;
}

// ---- messages

void Win32FormView::command(WPARAM wp, LPARAM lp) {
  if (lp == 0) {
    auto it = commands_.find(LOWORD(wp));
    if (it != commands_.end()) it->second->click();
    return;
  }
  Control* c = controlOf(reinterpret_cast<HWND>(lp));
  if (c == nullptr) return;
  const UINT code = HIWORD(wp);
  switch (c->kind()) {
    case ControlKind::PushButton:
      if (code == BN_CLICKED) static_cast<forms::PushButton*>(c)->click();
      return;
    case ControlKind::FlatButton:
      if (code == BN_CLICKED) static_cast<forms::FlatButton*>(c)->click();
      return;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) static_cast<forms::CheckBox*>(c)->userClick();
      return;
    case ControlKind::TextBox:
      if (code == EN_CHANGE && !settingText_) {
        userEditing_ = true;
        static_cast<forms::TextBox*>(c)->setText(narrow(windowText(reinterpret_cast<HWND>(lp))));
        userEditing_ = false;
      }
      return;
    case ControlKind::Label: {
      auto* label = static_cast<forms::Label*>(c);
      if (code == STN_CLICKED && label->effectivelyEnabled() && label->onClick) label->onClick();
      return;
    }
    default:
      return;
  }
}

bool Win32FormView::drawItem(const DRAWITEMSTRUCT& d) {
  auto* b = dynamic_cast<forms::FlatButton*>(controlOf(d.hwndItem));
  if (b == nullptr) return false;
  HDC dc = d.hDC;
  RECT r = d.rcItem;
  FillRect(dc, &r, toolkit_.brush(b->backColor()));
  const bool pressed = (d.itemState & ODS_SELECTED) != 0;
  const bool disabled = (d.itemState & ODS_DISABLED) != 0;
  const int shift = pressed ? 1 : 0;

  const Win32Toolkit::Image* im = nullptr;
  if (!b->picture().empty()) im = &toolkit_.image(b->picture().file);
  if (im != nullptr && im->bitmap == nullptr && im->icon == nullptr) im = nullptr;
  const std::wstring caption = widen(b->caption());
  HGDIOBJ oldFont = SelectObject(dc, toolkit_.font(fitted(b->font())));
  RECT textBox{0, 0, 0, 0};
  if (!caption.empty()) DrawTextW(dc, caption.c_str(), -1, &textBox, DT_CALCRECT | DT_SINGLELINE);
  const int gap = im != nullptr && !caption.empty() ? 4 : 0;
  const int total = (im != nullptr ? im->drawnWidth : 0) + gap + (textBox.right - textBox.left);
  int x = r.left + (r.right - r.left - total) / 2 + shift;
  if (im != nullptr) {
    const int y = r.top + (r.bottom - r.top - im->drawnHeight) / 2 + shift;
    drawPicture(dc, *im, x, y, disabled, b->maskColor());
    x += im->drawnWidth + gap;
  }
  if (!caption.empty()) {
    RECT t{x, r.top + shift, r.right, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : rgb(b->foreColor()));
    DrawTextW(dc, caption.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
  SelectObject(dc, oldFont);
  // Flat: an edge only while pressed, and a dotted frame around the focus.
  if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  if ((d.itemState & ODS_FOCUS) != 0 && !pressed) {
    RECT f = r;
    InflateRect(&f, -2, -2);
    DrawFocusRect(dc, &f);
  }
  return true;
}

LRESULT Win32FormView::colorFor(HWND control, HDC dc) {
  Control* c = controlOf(control);
  if (c == nullptr) return reinterpret_cast<LRESULT>(toolkit_.brush(form_.backColor()));
  const bool greyed = !c->enabled() && c->kind() == ControlKind::TextBox;
  SetTextColor(dc, greyed ? GetSysColor(COLOR_GRAYTEXT) : rgb(c->foreColor()));
  SetBkColor(dc, rgb(c->backColor()));
  return reinterpret_cast<LRESULT>(toolkit_.brush(c->backColor()));
}

LRESULT Win32FormView::formMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == Win32Toolkit::taskbarCreatedMessage()) {
    toolkit_.taskbarCreated();
    return 0;
  }
  switch (msg) {
    case WM_DPICHANGED: {
      // Moved to a screen of another dpi, or the dpi changed: every measure
      // is converted again, at the place the system suggests.
      toolkit_.dpiChanged(HIWORD(wp));
      const auto* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_QUERYENDSESSION:
      // Log-off or shutdown: nothing is asked and nothing may hold it up.
      return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns: the form closes as the system
      // closes it, without the questions of the close box.
      if (wp != FALSE) form_.unload(forms::UnloadReason::WindowsSession);
      return 0;
    case WM_CLOSE:
      // The model decides: QueryUnload may refuse; an unload hides the window.
      form_.userClose();
      return 0;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, toolkit_.brush(form_.backColor()));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      BeginPaint(window_, &ps);
      EndPaint(window_, &ps);
      RECT client{};
      GetClientRect(window_, &client);
      const bool whole = ps.rcPaint.left <= 0 && ps.rcPaint.top <= 0 &&
                         ps.rcPaint.right >= client.right && ps.rcPaint.bottom >= client.bottom;
      if (paint_.drawn(whole)) PostMessageW(window_, kPaintedMessage, 0, 0);
      return 0;
    }
    case kPaintedMessage:
      paint_.deliver(form_);
      return 0;
    case kMenuMessage:
      applyMenuChanges();
      return 0;
    case WM_INITMENU:
      applyMenuChanges();
      break;
    case WM_MOUSEMOVE: {
      // Also the notification icon's callback: its identifier arrives as the
      // button state and its mouse message as x, as the classic runtime
      // passes them on.
      int button = 0;
      if ((wp & MK_LBUTTON) != 0) button |= forms::kLeftButton;
      if ((wp & MK_RBUTTON) != 0) button |= forms::kRightButton;
      if ((wp & MK_MBUTTON) != 0) button |= 4;
      int shift = 0;
      if ((wp & MK_SHIFT) != 0) shift |= 1;
      if ((wp & MK_CONTROL) != 0) shift |= 2;
      // Only the icon reaches a minimized window.
      forms::TrayIcons::restoreOwner(form_, GET_X_LPARAM(lp));
      const double tpp = toolkit_.twipsPerPixel() / fit_;
      form_.mouseMove(button, shift, static_cast<float>(GET_X_LPARAM(lp) * tpp),
                      static_cast<float>(GET_Y_LPARAM(lp) * tpp));
      return 0;
    }
    case WM_LBUTTONUP:
      form_.click();
      return 0;
    case WM_COMMAND:
      command(wp, lp);
      return 0;
    case WM_DRAWITEM:
      if (drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return colorFor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
    case WM_TIMER: {
      auto it = timers_.find(wp);
      if (it != timers_.end()) it->second->tick();
      return 0;
    }
    case WM_SETCURSOR:
      if (toolkit_.mousePointer() != forms::MousePointer::Default && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, toolkit_.mousePointer() == forms::MousePointer::Hourglass
                                           ? IDC_WAIT
                                           : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && HIWORD(wp) == 0) {
        // Back to the control that had the focus, or the first that takes it.
        Control* c = form_.focused();
        HWND w = c != nullptr ? windowOf(*c) : nullptr;
        if (w != nullptr && IsWindowVisible(w) && IsWindowEnabled(w)) {
          SetFocus(w);
        } else {
          tabFrom(nullptr, false);
        }
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, msg, wp, lp);
}

LRESULT Win32FormView::controlMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  Control* c = controlOf(w);
  if (c == nullptr) return 0;
  handled = true;
  switch (msg) {
    // Containers pass their children's notifications on to the form.
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (c->kind() == ControlKind::Frame || c->kind() == ControlKind::PictureBox) {
        return formMessage(msg, wp, lp);
      }
      break;
    case WM_SETFOCUS:
      if (form_.focused() != c) form_.focus(c);
      break;
    case WM_NCPAINT:
      if (c->kind() == ControlKind::TextBox) {
        HDC dc = GetWindowDC(w);
        RECT r{};
        GetWindowRect(w, &r);
        OffsetRect(&r, -r.left, -r.top);
        FrameRect(dc, &r, toolkit_.brush(static_cast<forms::TextBox*>(c)->borderColor()));
        ReleaseDC(w, dc);
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      if (c->kind() != ControlKind::Frame && c->kind() != ControlKind::PictureBox &&
          c->kind() != ControlKind::Image && c->kind() != ControlKind::Line) {
        break;
      }
      RECT r{};
      GetClientRect(w, &r);
      // Images and lines show what is behind them: their container's colour.
      const bool own = c->kind() == ControlKind::Frame || c->kind() == ControlKind::PictureBox;
      const forms::Color back = own                      ? c->backColor()
                                : c->parent() != nullptr ? c->parent()->backColor()
                                                         : form_.backColor();
      FillRect(reinterpret_cast<HDC>(wp), &r, toolkit_.brush(back));
      return 1;
    }
    case WM_PAINT: {
      if (c->kind() == ControlKind::PictureBox || c->kind() == ControlKind::Image) {
        const forms::Picture& pic = c->kind() == ControlKind::PictureBox
                                        ? static_cast<forms::PictureBox*>(c)->picture()
                                        : static_cast<forms::Image*>(c)->picture();
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(w, &ps);
        if (!pic.empty()) drawPicture(dc, toolkit_.image(pic.file), 0, 0, false, std::nullopt);
        EndPaint(w, &ps);
        return 0;
      }
      if (c->kind() == ControlKind::Line) {
        const auto* line = static_cast<forms::Line*>(c);
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(w, &ps);
        RECT wr{};
        GetWindowRect(w, &wr);
        MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&wr), 2);
        const LOGBRUSH lb{BS_SOLID, rgb(line->foreColor()), 0};
        HPEN pen =
            ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT,
                         static_cast<DWORD>(std::max(1, line->borderWidth())), &lb, 0, nullptr);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, px(line->x1()) - wr.left, px(line->y1()) - wr.top, nullptr);
        LineTo(dc, px(line->x2()) - wr.left, px(line->y2()) - wr.top);
        SelectObject(dc, old);
        DeleteObject(pen);
        EndPaint(w, &ps);
        return 0;
      }
      break;
    }
    case WM_NCHITTEST:
      if (c->kind() == ControlKind::Line) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDOWN:
      if (c->kind() == ControlKind::PictureBox) SetFocus(w);
      break;
    case WM_LBUTTONUP:
      if (c->kind() == ControlKind::PictureBox) {
        static_cast<forms::PictureBox*>(c)->click();
        return 0;
      }
      if (c->kind() == ControlKind::Image) {
        static_cast<forms::Image*>(c)->click();
        return 0;
      }
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

}  // namespace quilbert::win32view
