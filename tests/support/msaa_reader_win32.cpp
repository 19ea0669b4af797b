// Test helper for the accessibility test of the Windows program: what a
// screen reader hears going through a window with Tab. Waits for a window of
// the program (a title holding TITLE, or the first shown), then goes through
// its controls in the system's own dialog order (GetNextDlgTabItem) and
// prints, for each, the name and description that MSAA gives (UTF-8):
//   name<TAB>description
// With --all, every shown control that is a tab stop, disabled ones too, in
// the order the windows stack.
//   quilbert_msaa_reader [--all] [TITLE] [TIMEOUT_MS]
// Exit status 0 when the window was found, 1 when not within the time.
#include <windows.h>
// clang-format off
#include <ole2.h>
#include <initguid.h>  // IID_IAccessible here: the import library's is a stub, not the GUID
#include <oleacc.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* w, int n) {
  if (n <= 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, n, s.data(), size, nullptr, nullptr);
  return s;
}

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK look(HWND top, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  wchar_t cls[64] = {};
  GetClassNameW(top, cls, 64);
  if (IsWindowVisible(top) == FALSE || std::wstring(cls) != L"QuilbertForm") return TRUE;
  wchar_t text[512] = {};
  GetWindowTextW(top, text, 512);
  if (std::wstring(text).find(s->title) == std::wstring::npos) return TRUE;
  s->found = top;
  return FALSE;
}

// A BSTR property of the control's client object; empty when it has none.
template <class Get>
std::string property(IAccessible* acc, Get get) {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (FAILED((acc->*get)(self, &text)) || text == nullptr) return {};
  std::string s = utf8(text, static_cast<int>(SysStringLen(text)));
  SysFreeString(text);
  return s;
}

std::string lineOf(HWND control) {
  IAccessible* acc = nullptr;
  const HRESULT hr = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                                IID_IAccessible, reinterpret_cast<void**>(&acc));
  if (FAILED(hr) || acc == nullptr) {
    char why[48] = {};
    std::snprintf(why, sizeof why, "\t(no object: 0x%08lx)\n", static_cast<unsigned long>(hr));
    return why;
  }
  std::string line = property(acc, &IAccessible::get_accName) + "\t" +
                     property(acc, &IAccessible::get_accDescription) + "\n";
  acc->Release();
  return line;
}

BOOL CALLBACK tabStop(HWND child, LPARAM data) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
  if ((style & WS_TABSTOP) != 0 && IsWindowVisible(child) != FALSE) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  }
  return TRUE;
}

// The controls a screen reader goes through.
std::vector<HWND> controlsOf(HWND form, bool all) {
  std::vector<HWND> controls;
  if (all) {
    EnumChildWindows(form, tabStop, reinterpret_cast<LPARAM>(&controls));
    return controls;
  }
  std::set<HWND> seen;
  for (HWND c = GetNextDlgTabItem(form, nullptr, FALSE); c != nullptr && seen.insert(c).second;
       c = GetNextDlgTabItem(form, c, FALSE)) {
    if (IsWindowVisible(c) != FALSE) controls.push_back(c);
  }
  return controls;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool all = argc > 1 && std::wstring(argv[1]) == L"--all";
  if (all) {
    --argc;
    ++argv;
  }
  Search s{argc > 1 ? argv[1] : L"", nullptr};
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 5000;
  const DWORD end = GetTickCount() + timeout;
  while (s.found == nullptr && GetTickCount() <= end) {
    EnumWindows(look, reinterpret_cast<LPARAM>(&s));
    if (s.found == nullptr) Sleep(20);
  }
  if (s.found == nullptr) return 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (HWND c : controlsOf(s.found, all)) {
    const std::string line = lineOf(c);
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  CoUninitialize();
  return 0;
}
