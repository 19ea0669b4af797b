// The peer of the Windows program's start-up figure: a Win32 program that
// prints one line and ends, built with the same compiler and flags.
#include <windows.h>

int main() {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\r\n", 7, &written, nullptr);
  return 0;
}
