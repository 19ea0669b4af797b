#include "platform/win32/view/win32_form_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

using forms::Control;
using forms::ControlKind;
using forms::Prop;

std::wstring windowText(HWND w) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
  return text;
}

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
  return it == windows_.end() ? nullptr : it->second->window();
}

ControlWindow* Win32FormView::controlWindow(HWND w) const {
  auto it = controls_.find(w);
  return it == controls_.end() ? nullptr : it->second.get();
}

Control* Win32FormView::controlOf(HWND w) const {
  ControlWindow* c = controlWindow(w);
  return c != nullptr ? &c->control() : nullptr;
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
  rescaleControls();
}

void Win32FormView::rescaleControls() {
  for (const auto& [w, c] : controls_) c->rescale();
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
  buildControls();
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
  rescaleControls();
  applyClientSize();
  if (placed_ && form_.centered()) place();
}

// ---- controls

void Win32FormView::controlAdded(Control& c) {
  if (windows_.count(&c) != 0) return;
  if (c.kind() == ControlKind::Timer) return startTimer(static_cast<forms::Timer&>(c));
  // Windows wait for the first show: a form loaded and never shown (the main
  // window behind its notification icon) costs none.
  if (!built_) return;
  std::unique_ptr<ControlWindow> made = ControlWindow::make(*this, c);
  if (made == nullptr) return;  // an image list: pictures for code, never shown
  if (c.parent() != nullptr && windowOf(*c.parent()) == nullptr) controlAdded(*c.parent());
  HWND parent = c.parent() != nullptr ? windowOf(*c.parent()) : window_;
  ControlWindow& cw = *made;
  HWND w = cw.create(parent, nextId_++);
  windows_[&c] = &cw;
  controls_[w] = std::move(made);
  cw.applyAll();
  if (!building_ && c.takesFocus()) arrangeTabOrder();
}

void Win32FormView::buildControls() {
  if (built_) return;
  built_ = true;
  // Not owned by the form: under Wine a topmost owned pop-up keeps its owner
  // from being made topmost.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  // In the model's order, then stacked in Tab's.
  building_ = true;
  for (const auto& c : form_.controls()) controlAdded(*c);
  building_ = false;
  arrangeTabOrder();
  // What the code focused while there was no window has the focus now.
  if (form_.focused() != nullptr) toolkit_.setFocus(*form_.focused());
}

void Win32FormView::startTimer(forms::Timer& t) {
  if (std::none_of(timers_.begin(), timers_.end(), [&](const auto& e) { return e.second == &t; })) {
    timers_[nextTimer_++] = &t;
  }
  controlChanged(t, Prop::Timer);
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
  auto it = windows_.find(&c);
  if (it != windows_.end()) it->second->apply(p);
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
  SetFocus(windowOf(*order[next]));
  windows_.at(order[next])->tabbedInto();
}

void Win32FormView::arrangeTabOrder() {
  if (!built_ || building_) return;
  std::map<HWND, HWND> lastIn;  // each container's window stacked last
  std::set<HWND> stacked;
  for (const Control* c : form_.focusChain()) {
    // The control's window, then its containers up to the first stacked already.
    for (HWND w = windowOf(*c); w != nullptr && w != window_ && stacked.insert(w).second;
         w = GetParent(w)) {
      HWND parent = GetParent(w);
      auto last = lastIn.find(parent);
      HWND after = last != lastIn.end() ? last->second : HWND_TOP;
      // Only what is out of place moves: a window moved is drawn again.
      if (GetWindow(w, GW_HWNDPREV) != (after == HWND_TOP ? nullptr : after)) {
        SetWindowPos(w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      lastIn[parent] = w;
    }
  }
}

namespace {

wchar_t upper(wchar_t c) {
  return static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

// The letter a caption marks with "&" ("&&" is an "&" shown), upper case; 0 for none.
wchar_t accessKeyOf(const std::wstring& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return upper(text[i + 1]);
    ++i;
  }
  return 0;
}

}  // namespace

ControlWindow* Win32FormView::accessKeyTarget(wchar_t key) const {
  for (const auto& c : form_.controls()) {
    auto it = windows_.find(c.get());
    if (it == windows_.end() || !it->second->takesAccessKey()) continue;
    if (!c->effectivelyEnabled() || !c->effectivelyVisible()) continue;
    const wchar_t k = accessKeyOf(widen(it->second->text()));
    if (k != 0 && k == upper(key)) return it->second;
  }
  return nullptr;
}

}  // namespace quilbert::win32view
