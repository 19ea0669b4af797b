// The toolkit's notification-area icons and their balloons.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>

#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using forms::Form;

namespace {

constexpr UINT_PTR kTrayRetryTimer = 1;

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

}  // namespace quilbert::win32view
