// Windows of classes of our own: the class registered once, and the object a
// window was made for found by its procedure in the window's user data.
#pragma once

#include <windows.h>

namespace quilbert::platform::win32 {

// Registers a window class of this module; 0 when it is already registered.
inline ATOM registerWindowClass(const wchar_t* name, WNDPROC procedure, UINT style = 0,
                                HCURSOR cursor = nullptr) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = style;
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = cursor;
  cls.lpszClassName = name;
  return RegisterClassExW(&cls);
}

// Makes a window of `className`, registering the class with `procedure` when
// it is not yet; `self` is what windowSelf() returns in that procedure. The
// window has no size and is never shown.
inline HWND createHiddenWindow(const wchar_t* className, WNDPROC procedure, void* self,
                               const wchar_t* title, DWORD exStyle, DWORD style, HWND parent) {
  registerWindowClass(className, procedure);
  return CreateWindowExW(exStyle, className, title, style, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), self);
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
