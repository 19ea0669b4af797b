#include "platform/win32/view/win32_control_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/view/win32_accessible.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

using forms::Control;
using forms::Prop;

namespace {

// Every control window runs through here first: its kind decides what it
// handles, the control's own procedure does the rest.
LRESULT CALLBACK controlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR /*id*/,
                             DWORD_PTR /*data*/) {
  if (Win32FormView* v = Win32FormView::of(w)) {
    if (ControlWindow* c = v->controlWindow(w)) {
      if (const std::optional<LRESULT> r = c->message(msg, wp, lp)) return *r;
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(w, controlProc, 0);
  return DefSubclassProc(w, msg, wp, lp);
}

}  // namespace

COLORREF rgb(forms::Color c) {
  return RGB(c.r, c.g, c.b);
}

std::unique_ptr<ControlWindow> ControlWindow::make(Win32FormView& view, Control& c) {
  for (auto* maker : {makeButtonWindow, makeTextWindow, makePictureWindow}) {
    if (auto w = maker(view, c)) return w;
  }
  return nullptr;
}

ControlWindow::ControlWindow(Win32FormView& view, Control& control, const wchar_t* windowClass,
                             DWORD style)
    : view_(view), control_(control), windowClass_(windowClass), style_(style) {}

HWND ControlWindow::create(HWND parent, int id) {
  DWORD s = WS_CHILD | WS_CLIPSIBLINGS | style_;
  if (control_.visible()) s |= WS_VISIBLE;
  if (!control_.enabled()) s |= WS_DISABLED;
  const RECT r = place();
  window_ = CreateWindowExW(extendedStyle(), windowClass_, widen(text()).c_str(), s, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
  SetWindowSubclass(window_, controlProc, 0, 0);
  namesShown_ = {control_.accessibleName(), control_.accessibleDescription()};
  return window_;
}

void ControlWindow::apply(Prop p) {
  switch (p) {
    case Prop::Geometry:
      return applyGeometry();
    case Prop::Visible:
      return applyVisible();
    case Prop::Enabled:
      return applyEnabled();
    case Prop::ToolTip:
      return applyToolTip();
    case Prop::Font:
      return applyFont();
    case Prop::ForeColor:
    case Prop::BackColor:
    case Prop::Picture:
      return redraw();
    case Prop::Caption:
    case Prop::Text:
      return applyText();
    case Prop::Value:
      return applyValue();
    case Prop::Items:
      return applyItems();
    case Prop::Style:
      return applyStyle();
    case Prop::Accessible:
      return announceAccessible();
    case Prop::TabIndex:
      return view_.arrangeTabOrder();
    case Prop::Timer:
    case Prop::Menu:
    case Prop::Icon:
      return;
  }
}

void ControlWindow::announceAccessible() {
  // A reader listening hears what changed, and only that: a row's state
  // changing on the focused check box is said again without its name.
  if (control_.accessibleName() != namesShown_.first) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
  }
  if (control_.accessibleDescription() != namesShown_.second) {
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
  }
  namesShown_ = {control_.accessibleName(), control_.accessibleDescription()};
}

void ControlWindow::applyAll() {
  // Place, visibility, state and text were given when the window was made.
  applyFont();
  applyStyle();
  applyValue();
  applyItems();
  applyToolTip();
}

void ControlWindow::rescale() {
  applyGeometry();
  applyFont();
  redraw();
}

RECT ControlWindow::place() const {
  const int left = view_.px(control_.left());
  const int top = view_.px(control_.top());
  return {left, top, left + std::max(0, view_.px(control_.width())),
          top + std::max(0, view_.px(control_.height()))};
}

void ControlWindow::applyGeometry() {
  const RECT r = place();
  MoveWindow(window_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void ControlWindow::applyVisible() {
  ShowWindow(window_, control_.visible() ? SW_SHOWNA : SW_HIDE);
}

void ControlWindow::applyEnabled() {
  // A control about to be disabled hands the focus to the next one first,
  // so that the window keeps the keyboard (Wine gives the focus up
  // altogether when a focused window is disabled).
  if (!control_.enabled() && GetFocus() == window_) view_.tabFrom(&control_, false);
  EnableWindow(window_, control_.enabled() ? TRUE : FALSE);
}

void ControlWindow::applyToolTip() {
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = view_.window();
  ti.uId = reinterpret_cast<UINT_PTR>(window_);
  SendMessageW(view_.toolTips(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (control_.toolTip().empty()) return;
  std::wstring text = widen(control_.toolTip());
  ti.lpszText = text.data();
  SendMessageW(view_.toolTips(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void ControlWindow::applyFont() {
  HFONT font = view_.toolkit().font(view_.fitted(control_.font()));
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ControlWindow::redraw() {
  InvalidateRect(window_, nullptr, TRUE);
}

void ControlWindow::applyText() {
  Win32FormView::TextTransfer& transfer = view_.textTransfer();
  if (transfer.fromUser) return;  // the box shows it already, caret and all
  const std::wstring wide = widen(text());
  if (windowText(window_) != wide) {
    transfer.fromModel = true;
    SetWindowTextW(window_, wide.c_str());
    transfer.fromModel = false;
  }
  textShown();
}

COLORREF ControlWindow::textColor() const {
  return view_.toolkit().color(control_.foreColor(), ink());
}

LRESULT ControlWindow::colors(HDC dc) const {
  SetTextColor(dc, textColor());
  SetBkColor(dc, view_.toolkit().color(control_.backColor(), face()));
  return reinterpret_cast<LRESULT>(view_.toolkit().brush(control_.backColor(), face()));
}

forms::Color ControlWindow::behind() const {
  return control_.parent() != nullptr ? control_.parent()->backColor() : view_.form().backColor();
}

LRESULT ControlWindow::fill(HDC dc, forms::Color color) const {
  RECT r{};
  GetClientRect(window_, &r);
  FillRect(dc, &r, view_.toolkit().brush(color, Win32Toolkit::Paint::Surface));
  return 1;
}

std::optional<LRESULT> ControlWindow::message(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return childMessage(msg, wp, lp);
    case WM_SETFOCUS:
      if (view_.form().focused() != &control_) view_.form().focus(&control_);
      [[fallthrough]];
    case WM_KILLFOCUS: {
      const LRESULT r = DefSubclassProc(window_, msg, wp, lp);
      focusChanged();
      return r;
    }
    case WM_GETOBJECT:
      return accessibleObject(window_, control_, wp, lp);
    case WM_NCPAINT:
      return paintFrame();
    case WM_ERASEBKGND:
      return eraseBackground(reinterpret_cast<HDC>(wp));
    case WM_PAINT:
      return paint();
    case WM_NCHITTEST:
      return hitTest();
    case WM_LBUTTONDOWN:
      mouseDown();
      return std::nullopt;
    case WM_LBUTTONUP:
      return mouseUp();
    default:
      return std::nullopt;
  }
}

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

}  // namespace quilbert::win32view
