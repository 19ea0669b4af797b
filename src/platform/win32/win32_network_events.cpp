#include "platform/win32/win32_network_events.h"

// clang-format off
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <windows.h>
// clang-format on

#include "platform/log.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

namespace quilbert::platform {

namespace {

constexpr wchar_t kWindowClass[] = L"QuilbertNetworkEvents";
constexpr UINT kChangedMessage = WM_APP + 17;

LRESULT CALLBACK eventsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = win32::windowSelf<Win32NetworkEvents>(window, message, lParam);
  if (self != nullptr && message == kChangedMessage) {
    self->tell(NetworkEvent::Changed);
    return 0;
  }
  if (self != nullptr && message == WM_POWERBROADCAST) {
    if (wParam == PBT_APMRESUMEAUTOMATIC) self->tell(NetworkEvent::Resumed);
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK interfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW /*row*/,
                               MIB_NOTIFICATION_TYPE /*type*/) {
  static_cast<Win32NetworkEvents*>(context)->changed();
}

void CALLBACK addressChanged(PVOID context, PMIB_UNICASTIPADDRESS_ROW /*row*/,
                             MIB_NOTIFICATION_TYPE /*type*/) {
  static_cast<Win32NetworkEvents*>(context)->changed();
}

void CALLBACK routeChanged(PVOID context, PMIB_IPFORWARD_ROW2 /*row*/,
                           MIB_NOTIFICATION_TYPE /*type*/) {
  static_cast<Win32NetworkEvents*>(context)->changed();
}

}  // namespace

Win32NetworkEvents::Win32NetworkEvents(bool initialNotification) {
  // Top-level (a message-only window gets no power broadcasts), never shown.
  window_ = win32::createHiddenWindow(kWindowClass, eventsProc, this, L"", WS_EX_TOOLWINDOW,
                                      WS_POPUP, nullptr);
  if (window_ == nullptr) {
    logLine("network changes will not be seen: " + win32::errorText(GetLastError()));
    return;
  }
  const BOOLEAN initial = initialNotification ? TRUE : FALSE;
  // Each may be missing (an older system, Wine): the others still tell.
  NotifyIpInterfaceChange(AF_UNSPEC, interfaceChanged, this, initial, &handles_[0]);
  NotifyUnicastIpAddressChange(AF_UNSPEC, addressChanged, this, initial, &handles_[1]);
  NotifyRouteChange2(AF_UNSPEC, routeChanged, this, initial, &handles_[2]);
}

Win32NetworkEvents::~Win32NetworkEvents() {
  // CancelMibChangeNotify2 waits for callbacks under way: none runs after it.
  for (void*& h : handles_) {
    if (h != nullptr) CancelMibChangeNotify2(h);
    h = nullptr;
  }
  if (window_ != nullptr) DestroyWindow(static_cast<HWND>(window_));
}

void Win32NetworkEvents::changed() {
  if (!pending_.exchange(true) && window_ != nullptr) {
    PostMessageW(static_cast<HWND>(window_), kChangedMessage, 0, 0);
  }
}

void Win32NetworkEvents::tell(NetworkEvent event) {
  if (event == NetworkEvent::Changed) pending_ = false;
  NetworkEvents::tell(event);
}

}  // namespace quilbert::platform
