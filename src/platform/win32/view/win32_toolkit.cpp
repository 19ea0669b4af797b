#include "platform/win32/view/win32_toolkit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_window.h"

namespace quilbert::win32view {

using platform::win32::registerWindowClass;

using forms::Form;

const wchar_t* const Win32Toolkit::kFormClass = L"QuilbertForm";
const wchar_t* const Win32Toolkit::kPictureClass = L"QuilbertPicture";
const wchar_t* const Win32Toolkit::kLineClass = L"QuilbertLine";

namespace {

ATOM theFormAtom = 0;

}  // namespace

Win32Toolkit::Win32Toolkit()
    : trays_([this](forms::TrayIcons::Icon& i) { return showTrayIcon(i); },
             [this](forms::TrayIcons::Icon& i) { hideTrayIcon(i); }) {
  // Real pixels: twips map to the screen's own dpi, not to a scaled 96. The
  // program's manifest asks for it per monitor; a process without it (the
  // tests) asks here, per monitor where the system can.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the handle value -4.
  if (setContext == nullptr || setContext(reinterpret_cast<HANDLE>(-4)) == FALSE) {
    SetProcessDPIAware();
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // Registered once per process; a second toolkit finds the classes there.
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  if (theFormAtom == 0) {
    theFormAtom = registerWindowClass(kFormClass, Win32FormView::windowProc, CS_DBLCLKS, arrow);
  }
  registerWindowClass(kPictureClass, DefWindowProcW, CS_DBLCLKS, arrow);
  registerWindowClass(kLineClass, DefWindowProcW, CS_DBLCLKS, arrow);
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ > 0) twipsPerPixel_ = 1440.0 / dpi_;
  highContrast_ = readHighContrast();
  hiddenOwner_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hiddenOwner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Toolkit::~Win32Toolkit() {
  for (const auto& icon : trays_.icons()) {
    if (icon.shown) hideTrayIcon(icon);
  }
  destroyPending();
  if (hiddenOwner_ != nullptr) DestroyWindow(hiddenOwner_);
  for (auto& [file, im] : images_) {
    if (im.bitmap != nullptr) DeleteObject(im.bitmap);
    if (im.icon != nullptr) DestroyIcon(im.icon);
  }
  for (auto& [f, h] : fonts_) DeleteObject(h);
  for (HGDIOBJ h : retired_) DeleteObject(h);
  for (HICON h : retiredIcons_) DestroyIcon(h);
  for (auto& [c, h] : brushes_) DeleteObject(h);
}

Win32FormView* Win32Toolkit::viewOf(const Form& form) {
  return dynamic_cast<Win32FormView*>(form.view());
}

ATOM Win32Toolkit::formAtom() {
  return theFormAtom;
}

HWND Win32Toolkit::windowOf(const Form& form) {
  const Win32FormView* v = viewOf(form);
  return v != nullptr ? v->window() : nullptr;
}

HWND Win32Toolkit::windowOf(const forms::Control& control) {
  const Win32FormView* v = viewOf(control.form());
  return v != nullptr ? v->windowOf(control) : nullptr;
}

// ---- forms

std::unique_ptr<forms::FormView> Win32Toolkit::createView(Form& form) {
  return std::make_unique<Win32FormView>(*this, form);
}

void Win32Toolkit::dpiChanged(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  twipsPerPixel_ = 1440.0 / dpi;
  for (auto& [f, h] : fonts_) retired_.push_back(h);
  fonts_.clear();
  for (auto& [file, im] : images_) {
    if (im.icon != nullptr) retiredIcons_.push_back(im.icon);
    if (im.bitmap != nullptr) retired_.push_back(im.bitmap);
  }
  images_.clear();
  for (Win32FormView* v : views_) v->rescale();
}

void Win32Toolkit::viewOpened(Win32FormView& view) {
  views_.push_back(&view);
}

void Win32Toolkit::viewClosing(Form& form, HWND window) {
  endModal(form);
  views_.erase(std::remove_if(views_.begin(), views_.end(),
                              [&](const Win32FormView* v) { return &v->form() == &form; }),
               views_.end());
  trays_.removeAll(form);
  destroyLater(window);
}

void Win32Toolkit::destroyLater(HWND window) {
  toDestroy_.push_back(window);
}

void Win32Toolkit::destroyPending() {
  while (!toDestroy_.empty()) {
    HWND w = toDestroy_.back();
    toDestroy_.pop_back();
    if (IsWindow(w) != FALSE) DestroyWindow(w);
  }
}

void Win32Toolkit::show(Form& form) {
  if (Win32FormView* v = viewOf(form)) v->showWindow();
}

void Win32Toolkit::hide(Form& form) {
  endModal(form);
  if (Win32FormView* v = viewOf(form)) v->hideWindow();
}

bool Win32Toolkit::minimized(const Form& form) const {
  const Win32FormView* v = viewOf(form);
  return v != nullptr && IsIconic(v->window()) != FALSE;
}

// ---- services

void Win32Toolkit::setFocus(forms::Control& c) {
  HWND w = windowOf(c);
  if (w != nullptr && GetFocus() != w) SetFocus(w);
}

void Win32Toolkit::applyPointer() const {
  SetCursor(
      LoadCursorW(nullptr, pointer_ == forms::MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32Toolkit::setMousePointer(forms::MousePointer p) {
  pointer_ = p;
  applyPointer();
}

void Win32Toolkit::beep() {
  ++beeps_;
  MessageBeep(MB_OK);
}

bool Win32Toolkit::setTopMost(Form& form, bool onTop) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr) return false;
  v->setTopMost(onTop);
  return SetWindowPos(v->window(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE) != FALSE;
}

void Win32Toolkit::hideFromTaskList() {
  hiddenFromTaskList_ = true;
  for (Win32FormView* v : views_) v->applyStyle();
}

void Win32Toolkit::endProcess(int exitCode) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace quilbert::win32view
