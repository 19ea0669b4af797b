#include "platform/win32/view/win32_toolkit.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::fromAnsi;
using platform::win32::narrow;
using platform::win32::widen;

using forms::Form;

const wchar_t* const Win32Toolkit::kFormClass = L"QuilbertForm";
const wchar_t* const Win32Toolkit::kPictureClass = L"QuilbertPicture";
const wchar_t* const Win32Toolkit::kLineClass = L"QuilbertLine";

namespace {

Win32FormView* viewOf(const Form& form) {
  return dynamic_cast<Win32FormView*>(form.view());
}

LRESULT CALLBACK formProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32FormView*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (view != nullptr && view->window() == w) return view->formMessage(msg, wp, lp);
  return DefWindowProcW(w, msg, wp, lp);
}

ATOM theFormAtom = 0;

ATOM registerClass(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = cursor;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

// Width and height of the first image of an icon file; 0 when it is not one.
std::pair<int, int> iconFileSize(const unsigned char* head, DWORD n) {
  if (n < 8 || head[0] != 0 || head[1] != 0 || head[2] != 1 || head[3] != 0) return {0, 0};
  return {head[6] == 0 ? 256 : head[6], head[7] == 0 ? 256 : head[7]};
}

struct BrowseContext {
  const forms::FolderBrowseRequest* request;
};

// The folder browser's own controls: the tree, the instruction, the status.
constexpr int kBrowserTree = 0x3741;
constexpr int kBrowserTitle = 0x3742;
constexpr int kBrowserStatus = 0x3743;

// The browser gives its instruction and its status a box of a fixed height
// that a longer text (a French one) overflows: each gets the height its text
// needs at its width, the status below the instruction, the tree below both.
void fitBrowserTexts(HWND dialog) {
  HWND title = GetDlgItem(dialog, kBrowserTitle);
  HWND status = GetDlgItem(dialog, kBrowserStatus);
  HWND tree = GetDlgItem(dialog, kBrowserTree);
  if (title == nullptr || tree == nullptr) return;
  auto placeOf = [dialog](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  // Height of the text at the box's width, one line at least.
  auto needs = [](HWND w, int width) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    if (text.empty()) text = L" ";
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return static_cast<int>(r.bottom);
  };
  const RECT t = placeOf(title);
  const RECT below = placeOf(tree);
  int y = t.top + needs(title, t.right - t.left);
  MoveWindow(title, t.left, t.top, t.right - t.left, y - t.top, TRUE);
  // The dialog itself is not shown yet when it is initialised: the status's own style says.
  if (status != nullptr && (GetWindowLongPtrW(status, GWL_STYLE) & WS_VISIBLE) != 0) {
    const RECT s = placeOf(status);
    const int h = needs(status, s.right - s.left);
    MoveWindow(status, s.left, y + 2, s.right - s.left, h, TRUE);
    y += 2 + h;
  }
  y += 4;
  if (y != below.top && y < below.bottom) {
    MoveWindow(tree, below.left, y, below.right - below.left, below.bottom - y, TRUE);
  }
}

class BrowserHandle : public forms::FolderBrowserHandle {
 public:
  explicit BrowserHandle(HWND dialog) : dialog_(dialog) {}
  void setStatusText(const std::string& text) override {
    const std::string ansi = platform::win32::toAnsiShown(text);
    SendMessageA(dialog_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
    fitBrowserTexts(dialog_);
  }
  void enableOk(bool enable) override { SendMessageA(dialog_, BFFM_ENABLEOK, 0, enable ? 1 : 0); }

 private:
  HWND dialog_;
};

// The browser's own texts in the program's language, not the system's.
void setBrowserTexts(HWND dialog, const forms::FolderBrowseRequest& request) {
  if (!request.title.empty()) SetWindowTextW(dialog, widen(request.title).c_str());
  if (!request.okCaption.empty()) SetDlgItemTextW(dialog, IDOK, widen(request.okCaption).c_str());
  if (!request.cancelCaption.empty()) {
    SetDlgItemTextW(dialog, IDCANCEL, widen(request.cancelCaption).c_str());
  }
}

int CALLBACK browseCallback(HWND dialog, UINT msg, LPARAM lp, LPARAM data) {
  const auto* ctx = reinterpret_cast<const BrowseContext*>(data);
  if (ctx == nullptr) return 0;
  if (msg == BFFM_INITIALIZED) setBrowserTexts(dialog, *ctx->request);
  if (!ctx->request->onSelectionChanged) return 0;
  BrowserHandle handle(dialog);
  if (msg == BFFM_INITIALIZED) {
    ctx->request->onSelectionChanged(handle, std::nullopt);
    fitBrowserTexts(dialog);
  } else if (msg == BFFM_SELCHANGED) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp), path) != FALSE) {
      ctx->request->onSelectionChanged(handle, fromAnsi(path));
    } else {
      ctx->request->onSelectionChanged(handle, std::nullopt);
    }
  }
  return 0;
}

}  // namespace

constexpr UINT_PTR kTrayRetryTimer = 1;

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
  if (theFormAtom == 0)
    theFormAtom = registerClass(kFormClass, formProc, LoadCursorW(nullptr, IDC_ARROW));
  registerClass(kPictureClass, DefWindowProcW, LoadCursorW(nullptr, IDC_ARROW));
  registerClass(kLineClass, DefWindowProcW, LoadCursorW(nullptr, IDC_ARROW));
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ > 0) twipsPerPixel_ = 1440.0 / dpi_;
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

// ---- forms and loops

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

void Win32Toolkit::endModal(const Form& form) {
  for (ModalRun& run : modalRuns_) {
    if (run.form != &form || run.ended) continue;
    run.ended = true;
    // The windows behind come back first, and the one that was active takes
    // the activation while the modal window still has it: hidden or
    // destroyed first, it would hand the activation to some other program.
    for (HWND w : run.disabled) {
      if (IsWindow(w) != FALSE) EnableWindow(w, TRUE);
    }
    if (run.previous != nullptr && run.previous != run.window && IsWindow(run.previous) != FALSE &&
        IsWindowVisible(run.previous) != FALSE) {
      SetActiveWindow(run.previous);
    }
  }
}

bool Win32Toolkit::minimized(const Form& form) const {
  const Win32FormView* v = viewOf(form);
  return v != nullptr && IsIconic(v->window()) != FALSE;
}

bool Win32Toolkit::preTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_SYSCHAR) {
    return false;
  }
  Win32FormView* view = Win32FormView::of(msg.hwnd);
  if (view == nullptr) return false;
  forms::Control* c = view->controlOf(msg.hwnd);
  Form& form = view->form();
  if (msg.message == WM_SYSCHAR) {
    // Alt and a button's access key press the button; other keys go to the menu bar.
    forms::Control* target = view->accessKeyTarget(static_cast<wchar_t>(msg.wParam));
    if (target == nullptr) return false;
    if (auto* f = dynamic_cast<forms::FlatButton*>(target)) f->click();
    if (auto* p = dynamic_cast<forms::PushButton*>(target)) p->click();
    if (auto* x = dynamic_cast<forms::CheckBox*>(target)) x->userClick();
    return true;
  }
  const int vk = static_cast<int>(msg.wParam);
  const int shift = currentShiftMask();
  const bool down = msg.message == WM_KEYDOWN;
  if (down && vk == VK_TAB && (shift & 6) == 0) {
    view->tabFrom(c, (shift & 1) != 0);
    return true;
  }
  const bool taken = (vk == VK_RETURN && form.roleButton(false) != nullptr) ||
                     (vk == VK_ESCAPE && form.roleButton(true) != nullptr);
  if (c != nullptr && form.focused() != c) form.focus(c);
  // The form model hears every key; Enter and Escape press the role buttons.
  if (down) {
    form.keyDown(vk, shift);
  } else {
    form.keyUp(vk, shift);
  }
  return taken;
}

bool Win32Toolkit::pumpOne() {
  destroyPending();
  MSG msg{};
  const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
  if (r == 0 || r == -1) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (!preTranslate(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void Win32Toolkit::runModal(Form& form) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr) return;
  ModalRun run{&form, v->window(), GetActiveWindow(), {}, false};
  // The other windows wait while this one is open, as behind any modal window.
  for (Win32FormView* other : views_) {
    HWND w = other->window();
    if (w != run.window && IsWindowVisible(w) != FALSE && IsWindowEnabled(w) != FALSE) {
      EnableWindow(w, FALSE);
      run.disabled.push_back(w);
    }
  }
  // Another program had the activation (the shell's): the window of ours
  // shown last is the one the user comes back to.
  if (run.previous == nullptr && !run.disabled.empty()) run.previous = run.disabled.back();
  modalRuns_.push_back(run);
  v->showWindow();
  auto open = [&form] { return form.loaded() && form.visible(); };
  while (open()) {
    if (!pumpOne()) break;
  }
  endModal(form);  // a quit ended the loop with the window still up
  modalRuns_.pop_back();
}

void Win32Toolkit::repaint(Form& form) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr || IsWindowVisible(v->window()) == FALSE) return;
  HWND w = v->window();
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The Paint notification the drawing queued belongs to this repaint.
  MSG msg{};
  if (PeekMessageW(&msg, w, kPaintedMessage, kPaintedMessage, PM_REMOVE) != FALSE) {
    DispatchMessageW(&msg);
  }
}

void Win32Toolkit::processEvents() {
  destroyPending();
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!preTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  destroyPending();
}

int Win32Toolkit::runMainLoop() {
  // A quit asked for before the loop started (during start-up) ends it at once.
  if (!quitRequested_) {
    inMainLoop_ = true;
    while (!quitRequested_) {
      if (!pumpOne()) break;
    }
    inMainLoop_ = false;
  }
  quitRequested_ = false;
  destroyPending();
  return quitCode_;
}

void Win32Toolkit::quit(int exitCode) {
  quitRequested_ = true;
  quitCode_ = exitCode;
  // Wakes a loop waiting in GetMessage.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

// ---- metrics

forms::Size Win32Toolkit::frameExtra(const Form& form) const {
  if (const Win32FormView* v = viewOf(form)) {
    RECT outer{};
    RECT client{};
    GetWindowRect(v->window(), &outer);
    GetClientRect(v->window(), &client);
    return {toTwips(outer.right - outer.left - client.right),
            toTwips(outer.bottom - outer.top - client.bottom)};
  }
  // Not loaded yet: what the window will have, from its border style.
  DWORD style = WS_CAPTION | WS_SYSMENU;
  DWORD ex = 0;
  using forms::BorderStyle;
  if (form.borderStyle() == BorderStyle::None) {
    style = WS_POPUP;
  } else if (!form.titleBar()) {
    style = WS_POPUP | WS_BORDER;
  } else if (form.borderStyle() == BorderStyle::Sizable) {
    style |= WS_THICKFRAME;
  } else if (form.borderStyle() == BorderStyle::FixedDialog) {
    ex = WS_EX_DLGMODALFRAME;
  } else if (form.borderStyle() == BorderStyle::FixedToolWindow) {
    ex = WS_EX_TOOLWINDOW;
  }
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, style, form.hasVisibleMenu() ? TRUE : FALSE, ex);
  return {toTwips(r.right - r.left - 100), toTwips(r.bottom - r.top - 100)};
}

forms::Size Win32Toolkit::screenSize() const {
  return {toTwips(GetSystemMetrics(SM_CXSCREEN)), toTwips(GetSystemMetrics(SM_CYSCREEN))};
}

forms::Size Win32Toolkit::workArea() const {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return {toTwips(area.right - area.left), toTwips(area.bottom - area.top)};
}

forms::Size Win32Toolkit::measureText(const forms::Font& f, std::string_view text) const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font(f));
  const std::wstring wide = widen(text);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT | DT_TOP);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {toTwips(r.right - r.left), toTwips(std::max<LONG>(r.bottom - r.top, tm.tmHeight))};
}

int Win32Toolkit::titleBarWidth(std::string_view caption) const {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) == FALSE) {
    return 0;
  }
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring wide = widen(caption);
  SIZE text{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &text);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  // An icon, minimize, maximize and close, as a window manager under Wine
  // draws them whatever the style; the frame and the caption's margins. Such
  // a window manager writes the title in its own font, half as wide again as
  // the caption font here (openbox's DejaVu Sans Bold against Tahoma Bold).
  const int frame = 2 * (GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXBORDER));
  return toTwips(text.cx * 3 / 2 + 4 * metrics.iCaptionWidth + frame + 2 * metrics.iBorderWidth +
                 8);
}

const Win32Toolkit::Image& Win32Toolkit::image(const std::string& file) const {
  auto it = images_.find(file);
  if (it != images_.end()) return it->second;
  Image im;
  const std::wstring path = widen(file);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    unsigned char head[8] = {};
    DWORD n = 0;
    ReadFile(h, head, sizeof head, &n, nullptr);
    CloseHandle(h);
    const auto [iw, ih] = iconFileSize(head, n);
    if (iw > 0) {
      // The first image of the file is the one the design drew; at a higher
      // dpi the file's image closest to the drawn size.
      const int dw = std::max(1, toPixels(iw * forms::kTwipsPerPixel));
      const int dh = std::max(1, toPixels(ih * forms::kTwipsPerPixel));
      im.icon = static_cast<HICON>(
          LoadImageW(nullptr, path.c_str(), IMAGE_ICON, dw, dh, LR_LOADFROMFILE));
      if (im.icon != nullptr) {
        im.width = iw;
        im.height = ih;
      }
    } else if (n >= 2 && head[0] == 'B' && head[1] == 'M') {
      im.bitmap = static_cast<HBITMAP>(
          LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
      BITMAP bm{};
      if (im.bitmap != nullptr && GetObjectW(im.bitmap, sizeof bm, &bm) != 0) {
        im.width = bm.bmWidth;
        im.height = bm.bmHeight;
      }
    }
    // Other formats (the PNG files of the Qt view) are not drawn here.
  }
  im.drawnWidth = toPixels(im.width * forms::kTwipsPerPixel);
  im.drawnHeight = toPixels(im.height * forms::kTwipsPerPixel);
  return images_.emplace(file, im).first->second;
}

std::optional<forms::Picture> Win32Toolkit::loadPicture(const std::string& file) const {
  const Image& im = image(file);
  if (im.bitmap == nullptr && im.icon == nullptr) return std::nullopt;
  return forms::Picture{file, im.width, im.height};
}

HFONT Win32Toolkit::font(const forms::Font& f) const {
  for (const auto& [key, h] : fonts_) {
    if (key == f) return h;
  }
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround((f.size > 0 ? f.size : 8.25) * dpi_ / 72.0));
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = f.underline ? TRUE : FALSE;
  lf.lfCharSet = f.symbol ? SYMBOL_CHARSET : DEFAULT_CHARSET;
  const std::wstring face = widen(f.name).substr(0, LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  HFONT h = CreateFontIndirectW(&lf);
  fonts_.emplace_back(f, h);
  return h;
}

bool Win32Toolkit::hasFace(const std::string& face) const {
  // Asked at every change of a password box: the answer is kept.
  if (auto it = faces_.find(face); it != faces_.end()) return it->second;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  const std::wstring wide = widen(face).substr(0, LF_FACESIZE - 1);
  std::copy(wide.begin(), wide.end(), lf.lfFaceName);
  HDC dc = GetDC(nullptr);
  bool found = false;
  EnumFontFamiliesExW(
      dc, &lf,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM data) -> int {
        *reinterpret_cast<bool*>(data) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  faces_[face] = found;
  return found;
}

HBRUSH Win32Toolkit::brush(forms::Color c) const {
  for (const auto& [key, h] : brushes_) {
    if (key == c) return h;
  }
  HBRUSH h = CreateSolidBrush(RGB(c.r, c.g, c.b));
  brushes_.emplace_back(c, h);
  return h;
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

void Win32Toolkit::popupMenu(Form& owner, forms::MenuItem& menu, forms::MenuItem* defaultItem) {
  HWND window = windowOf(owner);
  if (window == nullptr) return;
  std::vector<forms::MenuItem*> items;
  std::function<HMENU(forms::MenuItem&)> build = [&](forms::MenuItem& parent) {
    HMENU m = CreatePopupMenu();
    for (const auto& child : parent.items()) {
      if (!child->visible()) continue;
      if (child->isSeparator()) {
        AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const std::wstring caption = widen(child->caption());
      const UINT flags =
          (child->enabled() ? MF_ENABLED : MF_GRAYED) | (child->checked() ? MF_CHECKED : 0);
      if (!child->items().empty()) {
        AppendMenuW(m, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(build(*child)),
                    caption.c_str());
        continue;
      }
      items.push_back(child.get());
      const auto id = static_cast<UINT>(items.size());
      AppendMenuW(m, MF_STRING | flags, id, caption.c_str());
      if (child.get() == defaultItem) SetMenuDefaultItem(m, id, FALSE);
    }
    return m;
  };
  HMENU popup = build(menu);
  POINT at{};
  GetCursorPos(&at);
  // The menu of a notification icon closes when the user clicks elsewhere
  // only if its window is in the foreground.
  SetForegroundWindow(window);
  const auto chosen = static_cast<UINT>(TrackPopupMenuEx(
      popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  DestroyMenu(popup);
  if (chosen >= 1 && chosen <= items.size()) items[chosen - 1]->click();
}

namespace {

// The icon's record as Shell_NotifyIconA takes it.
NOTIFYICONDATAA notifyData(HWND window, int id, HICON icon, const std::string& tip) {
  NOTIFYICONDATAA nid{};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = window;
  nid.uID = static_cast<UINT>(id);
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // The icon's mouse messages come back as mouse moves over the window.
  nid.uCallbackMessage = WM_MOUSEMOVE;
  nid.hIcon = icon;
  const std::string text = platform::win32::toAnsiShown(tip).substr(0, sizeof nid.szTip - 1);
  std::fill(std::begin(nid.szTip), std::end(nid.szTip), ' ');
  std::copy(text.begin(), text.end(), nid.szTip);
  nid.szTip[text.size()] = '\0';
  return nid;
}

}  // namespace

bool Win32Toolkit::showTrayIcon(const forms::TrayIcons::Icon& icon) const {
  HWND window = windowOf(*icon.owner);
  if (window == nullptr) return false;
  HICON handle = icon.picture.empty() ? nullptr : image(icon.picture.file).icon;
  if (handle == nullptr) handle = LoadIconW(nullptr, IDI_APPLICATION);
  NOTIFYICONDATAA nid = notifyData(window, icon.id, handle, icon.tip);
  // A task bar that announced itself twice may hold the icon already.
  return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

void Win32Toolkit::hideTrayIcon(const forms::TrayIcons::Icon& icon) const {
  HWND window = windowOf(*icon.owner);
  if (window == nullptr) return;
  NOTIFYICONDATAA nid{};
  nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
  nid.hWnd = window;
  nid.uID = static_cast<UINT>(icon.id);
  Shell_NotifyIconA(NIM_DELETE, &nid);
}

void Win32Toolkit::retryTrayIconsLater() {
  if (!trays_.missing() || hiddenOwner_ == nullptr) return;
  SetTimer(hiddenOwner_, kTrayRetryTimer, forms::TrayIcons::kRetryMs,
           [](HWND w, UINT, UINT_PTR id, DWORD) {
             auto* tk = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(w, GWLP_USERDATA));
             if (tk == nullptr || !tk->trays_.tick()) KillTimer(w, id);
           });
}

bool Win32Toolkit::addTrayIcon(Form& owner, int id, const std::string& tip,
                               const forms::Picture& icon) {
  if (windowOf(owner) == nullptr) return false;
  const bool shown = trays_.add(owner, id, tip, icon);
  retryTrayIconsLater();
  return shown;
}

bool Win32Toolkit::setTrayTip(Form& owner, int id, const std::string& tip) {
  forms::TrayIcons::Icon* icon = trays_.find(owner, id);
  if (icon == nullptr) return false;
  icon->tip = tip;  // also for when the icon is added again
  HWND window = windowOf(owner);
  if (!icon->shown || window == nullptr) return true;
  NOTIFYICONDATAA nid = notifyData(window, id, nullptr, tip);
  nid.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_MODIFY, &nid);
  return true;
}

bool Win32Toolkit::notify(const std::string& title, const std::string& text) {
  for (const auto& icon : trays_.icons()) {
    HWND window = icon.owner != nullptr ? windowOf(*icon.owner) : nullptr;
    if (!icon.shown || window == nullptr) continue;
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;  // the balloon's fields need the whole record
    nid.hWnd = window;
    nid.uID = static_cast<UINT>(icon.id);
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_WARNING;
    const std::string t = platform::win32::toAnsiShown(title).substr(0, sizeof nid.szInfoTitle - 1);
    const std::string m = platform::win32::toAnsiShown(text).substr(0, sizeof nid.szInfo - 1);
    std::copy(t.begin(), t.end(), nid.szInfoTitle);
    std::copy(m.begin(), m.end(), nid.szInfo);
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
  }
  return false;
}

UINT Win32Toolkit::taskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void Win32Toolkit::taskbarCreated() {
  if (trays_.retry(true)) retryTrayIconsLater();
}

bool Win32Toolkit::removeTrayIcon(Form& owner, int id) {
  return trays_.remove(owner, id);
}

bool Win32Toolkit::setTopMost(Form& form, bool onTop) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr) return false;
  v->setTopMost(onTop);
  return SetWindowPos(v->window(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE) != FALSE;
}

std::optional<std::string> Win32Toolkit::chooseFile(Form& owner, const std::string& title,
                                                    bool save, const std::string& suggested) {
  std::wstring file = platform::win32::widen(save ? suggested : "");
  file.resize(32768);  // the longest path Windows takes
  const std::wstring caption = platform::win32::widen(title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = windowOf(owner);
  ofn.lpstrFilter = L"XML (*.xml)\0*.xml\0\0";
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = caption.c_str();
  ofn.lpstrDefExt = L"xml";
  ofn.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (chosen == FALSE) return std::nullopt;
  return platform::win32::narrow(file.c_str());
}

std::optional<std::string> Win32Toolkit::browseForFolder(
    Form& owner, const forms::FolderBrowseRequest& request) {
  HWND window = windowOf(owner);
  // COM only while the browser runs: the start of the program does without it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PIDLIST_ABSOLUTE root = nullptr;
  // Rooted at the network neighbourhood: only network places can be reached.
  SHGetSpecialFolderLocation(window, CSIDL_NETWORK, &root);
  const std::string title = platform::win32::toAnsiShown(request.instruction);
  BrowseContext ctx{&request};
  BROWSEINFOA bi{};
  bi.hwndOwner = window;
  bi.pidlRoot = root;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | (request.showStatusText ? BIF_STATUSTEXT : 0U);
  bi.lpfn = browseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(&ctx);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&bi);
  std::optional<std::string> result;
  if (chosen != nullptr) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(chosen, path) != FALSE) result = fromAnsi(path);
    CoTaskMemFree(chosen);
  }
  if (root != nullptr) CoTaskMemFree(root);
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
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
