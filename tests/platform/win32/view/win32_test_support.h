// What the Win32 view's tests share.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/view/win32_toolkit.h"

namespace quilbert::win32view::testing {

// Runs the toolkit's messages until `done` or `ms` have passed.
inline bool pumpUntil(Win32Toolkit& tk, const std::function<bool()>& done, int ms = 3000) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  for (;;) {
    tk.processEvents();
    if (done()) return true;
    if (GetTickCount() > end) return false;
    Sleep(5);
  }
}

}  // namespace quilbert::win32view::testing
