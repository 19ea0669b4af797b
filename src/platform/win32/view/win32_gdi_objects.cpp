// The toolkit's pictures, fonts and brushes, each made once (at each dpi).
#include <algorithm>
#include <cmath>

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

}  // namespace quilbert::win32view
