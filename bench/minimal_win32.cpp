// The peer of the Windows program's figures: a Win32 program that opens one
// window with one line of text, built with the same compiler and flags
// (-static). Given a number of milliseconds, it ends after them, as
// "quilbert.exe /a" with no entries shows its status window for one second
// (bench/wine_start.sh); without, it runs until closed (bench/win32_view_figures.sh).
#include <windows.h>

#include <cstdlib>

namespace {
LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER || msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"Minimal";
  RegisterClassW(&wc);
  HWND w =
      CreateWindowW(L"Minimal", L"Minimal window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                    CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
  CreateWindowW(L"STATIC", L"Drives connected : 0/0", WS_CHILD | WS_VISIBLE, 10, 10, 260, 20, w,
                nullptr, instance, nullptr);
  ShowWindow(w, show);
  if (const int ms = std::atoi(commandLine); ms > 0) SetTimer(w, 1, ms, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
