// What the toolkit draws with: pictures, fonts and brushes, each made once
// (at each dpi); and its measures of text, of window frames and of the screen.
#include <algorithm>
#include <cmath>

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

namespace {

// Width and height of the first image of an icon file; 0 when it is not one.
std::pair<int, int> iconFileSize(const unsigned char* head, DWORD n) {
  if (n < 8 || head[0] != 0 || head[1] != 0 || head[2] != 1 || head[3] != 0) return {0, 0};
  return {head[6] == 0 ? 256 : head[6], head[7] == 0 ? 256 : head[7]};
}

}  // namespace

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

bool Win32Toolkit::readHighContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) != FALSE &&
         (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

namespace {

// The system's colour of each part, as its high-contrast schemes set them.
int systemColorOf(Win32Toolkit::Paint part) {
  using Paint = Win32Toolkit::Paint;
  switch (part) {
    case Paint::ButtonFace:
      return COLOR_BTNFACE;
    case Paint::ButtonText:
      return COLOR_BTNTEXT;
    case Paint::Surface:
    case Paint::BoxFace:
      return COLOR_WINDOW;
    case Paint::Text:
    case Paint::BoxText:
    case Paint::Line:
      break;
  }
  return COLOR_WINDOWTEXT;
}

}  // namespace

COLORREF Win32Toolkit::color(forms::Color c, Paint part) const {
  return highContrast_ ? GetSysColor(systemColorOf(part)) : RGB(c.r, c.g, c.b);
}

HBRUSH Win32Toolkit::brush(forms::Color c, Paint part) const {
  // The system's own brushes: never deleted, and they follow its colours.
  return highContrast_ ? GetSysColorBrush(systemColorOf(part)) : brush(c);
}

void Win32Toolkit::systemColorsChanged(bool highContrast) {
  const bool was = highContrast_;
  highContrast_ = highContrast;
  // Without high contrast the design's colours are drawn, whatever the system's.
  if (!was && !highContrast_) return;
  for (Win32FormView* v : views_) {
    RedrawWindow(v->window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

// ---- measures

forms::Size Win32Toolkit::frameExtra(const forms::Form& form) const {
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

}  // namespace quilbert::win32view
