// Windows of classes of our own that only receive messages: each class is
// registered at its first window, and a window's procedure finds the object
// it was made for in the window's user data.
#pragma once

#include <windows.h>

namespace quilbert::platform::win32 {

// Makes a window of `className`, registering the class with `procedure` when
// it is not yet; `self` is what windowSelf() returns in that procedure. The
// window has no size and is never shown.
inline HWND createHiddenWindow(const wchar_t* className, WNDPROC procedure, void* self,
                               const wchar_t* title, DWORD exStyle, DWORD style, HWND parent) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = procedure;
  cls.hInstance = module;
  cls.lpszClassName = className;
  RegisterClassExW(&cls);  // fails harmlessly when already registered
  return CreateWindowExW(exStyle, className, title, style, 0, 0, 0, 0, parent, nullptr, module,
                         self);
}

// In a window procedure: the object the window was made for (CreateWindowExW's
// last argument), kept in the window's user data from WM_NCCREATE on.
template <class T>
T* windowSelf(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace quilbert::platform::win32
