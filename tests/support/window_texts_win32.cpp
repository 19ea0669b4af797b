// Test helper for the end-to-end test of the Windows program: waits until one
// of the program's windows shows a text, then prints that window's caption
// and the texts of its controls, one a line, in UTF-8, as a user reads them.
//   quilbert_window_texts TEXT [TIMEOUT_MS]
// Exit status 0 when found, 1 when not within the time.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

std::wstring textOf(HWND w) {
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(w, t.data(), static_cast<int>(t.size()))));
  return t;
}

struct Search {
  std::wstring wanted;
  std::vector<std::wstring> found;
};

BOOL CALLBACK collect(HWND child, LPARAM data) {
  auto* texts = reinterpret_cast<std::vector<std::wstring>*>(data);
  if (IsWindowVisible(child) != FALSE) texts->push_back(textOf(child));
  return TRUE;
}

BOOL CALLBACK look(HWND top, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  wchar_t cls[64] = {};
  GetClassNameW(top, cls, 64);
  if (IsWindowVisible(top) == FALSE || std::wstring(cls) != L"QuilbertForm") return TRUE;
  std::vector<std::wstring> texts{textOf(top)};
  EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&texts));
  for (const auto& t : texts) {
    if (t.find(s->wanted) != std::wstring::npos) {
      s->found = texts;
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  Search s{argv[1], {}};
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 5000;
  const DWORD end = GetTickCount() + timeout;
  while (s.found.empty()) {
    EnumWindows(look, reinterpret_cast<LPARAM>(&s));
    if (!s.found.empty() || GetTickCount() > end) break;
    Sleep(20);
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (const auto& t : s.found) {
    const std::string line = utf8(t) + "\n";
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  return s.found.empty() ? 1 : 0;
}
