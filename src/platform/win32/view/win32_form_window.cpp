// The messages of a form's window: those of the window itself, and those its
// controls send it (commands, owner drawing, colours).
// clang-format off
#include <windows.h>
#include <windowsx.h>
// clang-format on

#include "platform/forms/tray_icons.h"
#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_window.h"

namespace quilbert::win32view {

LRESULT CALLBACK Win32FormView::windowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* view = platform::win32::windowSelf<Win32FormView>(w, msg, lp);
  if (view != nullptr && view->window() == w) return view->formMessage(msg, wp, lp);
  return DefWindowProcW(w, msg, wp, lp);
}

LRESULT Win32FormView::formMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == Win32Toolkit::taskbarCreatedMessage()) {
    toolkit_.taskbarCreated();
    return 0;
  }
  std::optional<LRESULT> r = childMessage(msg, wp, lp);
  if (!r) r = windowMessage(msg, wp, lp);
  return r ? *r : DefWindowProcW(window_, msg, wp, lp);
}

std::optional<LRESULT> Win32FormView::childMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      command(wp, lp);
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      ControlWindow* c = controlWindow(item.hwndItem);
      if (c != nullptr && c->draw(item)) return TRUE;
      return std::nullopt;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return colorFor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> Win32FormView::windowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DPICHANGED:
      dpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // log-off or shutdown: nothing is asked and nothing may hold it up
    case WM_ENDSESSION:
      endSession(wp != FALSE);
      return 0;
    case WM_CLOSE:
      form_.userClose();  // the model decides: QueryUnload may refuse; an unload hides the window
      return 0;
    case WM_ERASEBKGND:
      eraseBackground(reinterpret_cast<HDC>(wp));
      return 1;
    case WM_PAINT:
      paint();
      return 0;
    case kPaintedMessage:
      paint_.deliver(form_);
      return 0;
    case kMenuMessage:
      applyMenuChanges();
      return 0;
    case WM_INITMENU:
      applyMenuChanges();
      return std::nullopt;
    case WM_MOUSEMOVE:
      mouseMove(wp, lp);
      return 0;
    case WM_LBUTTONUP:
      form_.click();
      return 0;
    case WM_TIMER:
      timer(wp);
      return 0;
    case WM_SETCURSOR:
      return setCursor(lp) ? std::optional<LRESULT>(TRUE) : std::nullopt;
    case WM_ACTIVATE:
      return activate(wp) ? std::optional<LRESULT>(0) : std::nullopt;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETHIGHCONTRAST) toolkit_.systemColorsChanged(Win32Toolkit::readHighContrast());
      return std::nullopt;
    case WM_SYSCOLORCHANGE:
      toolkit_.systemColorsChanged(Win32Toolkit::readHighContrast());
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void Win32FormView::command(WPARAM wp, LPARAM lp) {
  if (lp == 0) {
    auto it = commands_.find(LOWORD(wp));
    if (it != commands_.end()) it->second->click();
    return;
  }
  if (ControlWindow* c = controlWindow(reinterpret_cast<HWND>(lp))) c->notified(HIWORD(wp));
}

LRESULT Win32FormView::colorFor(HWND control, HDC dc) {
  const ControlWindow* c = controlWindow(control);
  if (c == nullptr) {
    return reinterpret_cast<LRESULT>(
        toolkit_.brush(form_.backColor(), Win32Toolkit::Paint::Surface));
  }
  return c->colors(dc);
}

void Win32FormView::dpiChanged(int dpi, const RECT& suggested) {
  // Moved to a screen of another dpi, or the dpi changed: every measure is
  // converted again, at the place the system suggests.
  toolkit_.dpiChanged(dpi);
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormView::endSession(bool ending) {
  // The session ends once this returns: the form closes as the system
  // closes it, without the questions of the close box.
  if (ending) form_.unload(forms::UnloadReason::WindowsSession);
}

void Win32FormView::eraseBackground(HDC dc) {
  RECT r{};
  GetClientRect(window_, &r);
  FillRect(dc, &r, toolkit_.brush(form_.backColor(), Win32Toolkit::Paint::Surface));
}

void Win32FormView::paint() {
  PAINTSTRUCT ps{};
  BeginPaint(window_, &ps);
  EndPaint(window_, &ps);
  RECT client{};
  GetClientRect(window_, &client);
  const bool whole = ps.rcPaint.left <= 0 && ps.rcPaint.top <= 0 &&
                     ps.rcPaint.right >= client.right && ps.rcPaint.bottom >= client.bottom;
  if (paint_.drawn(whole)) PostMessageW(window_, kPaintedMessage, 0, 0);
}

void Win32FormView::mouseMove(WPARAM wp, LPARAM lp) {
  // Also the notification icon's callback: its identifier arrives as the
  // button state and its mouse message as x, as the classic runtime passes
  // them on.
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
}

void Win32FormView::timer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second->tick();
}

bool Win32FormView::setCursor(LPARAM lp) {
  const forms::MousePointer pointer = toolkit_.mousePointer();
  if (pointer == forms::MousePointer::Default || LOWORD(lp) != HTCLIENT) return false;
  SetCursor(LoadCursorW(nullptr, pointer == forms::MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
  return true;
}

bool Win32FormView::activate(WPARAM wp) {
  if (LOWORD(wp) == WA_INACTIVE || HIWORD(wp) != 0) return false;
  // Back to the control that had the focus, or the first that takes it.
  forms::Control* c = form_.focused();
  HWND w = c != nullptr ? windowOf(*c) : nullptr;
  if (w != nullptr && IsWindowVisible(w) && IsWindowEnabled(w)) {
    SetFocus(w);
  } else {
    tabFrom(nullptr, false);
  }
  return true;
}

}  // namespace quilbert::win32view
