// The toolkit's measures of the screen, of window frames and of text.
#include <algorithm>

#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

using forms::Form;

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

}  // namespace quilbert::win32view
