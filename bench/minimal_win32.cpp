// The peer of bench/wine_start.sh: a Win32 program that shows one window with
// one line of text for one second and ends, as "quilbert.exe /a" with no
// entries shows its status window for one second. Built with the same
// compiler and flags.
#include <windows.h>

namespace {
LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER || msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"Minimal";
  RegisterClassW(&wc);
  HWND w = CreateWindowW(L"Minimal", L"Minimal", WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT,
                         CW_USEDEFAULT, 300, 80, nullptr, nullptr, instance, nullptr);
  CreateWindowW(L"STATIC", L"Drives connected : 0/0", WS_CHILD | WS_VISIBLE, 10, 10, 260, 20, w,
                nullptr, instance, nullptr);
  ShowWindow(w, show);
  SetTimer(w, 1, 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
