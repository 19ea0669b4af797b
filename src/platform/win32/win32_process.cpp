#include "platform/win32/win32_process.h"

#include <windows.h>
// The security calls need the types of windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/win32_text.h"

namespace quilbert::platform {

namespace {

constexpr wchar_t kWindowClass[] = L"QuilbertActivation";
// Our own class's window: a private message number cannot be confused.
constexpr UINT kActivateMessage = WM_APP + 1;
// How long a second instance looks for the first one's window, which may
// not exist yet while that one starts.
constexpr auto kActivationTimeout = std::chrono::milliseconds(500);

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring sidText(PSID sid) {
  LPWSTR text = nullptr;
  if (sid == nullptr || ConvertSidToStringSidW(sid, &text) == FALSE) return {};
  std::wstring result = text;
  LocalFree(text);
  return result;
}

// The user a process runs as ("S-1-5-21-…"); empty when it cannot be read.
std::wstring processUser(HANDLE process) {
  HANDLE token = nullptr;
  if (OpenProcessToken(process, TOKEN_QUERY, &token) == FALSE) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  std::wstring sid;
  if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) != FALSE) {
    sid = sidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  }
  CloseHandle(token);
  return sid;
}

std::wstring windowUser(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return {};
  std::wstring sid = processUser(process);
  CloseHandle(process);
  return sid;
}

std::wstring objectOwner(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring sid = sidText(owner);
  LocalFree(descriptor);
  return sid;
}

LRESULT CALLBACK activationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kActivateMessage) {
    const auto* onActivate =
        reinterpret_cast<const std::function<void()>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (onActivate != nullptr) {
      auto callback = *onActivate;  // the callback may replace itself
      if (callback) callback();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Win32Process::Win32Process(std::string instanceName) : name_(win32::widen(instanceName)) {}

Win32Process::~Win32Process() {
  if (window_ != nullptr) DestroyWindow(static_cast<HWND>(window_));
  if (mutex_ != nullptr) CloseHandle(static_cast<HANDLE>(mutex_));
}

std::string Win32Process::appDir() {
  std::wstring path = modulePath();
  const auto slash = path.find_last_of(L"\\/");
  path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
  if (path.empty()) {
    std::wstring cwd(MAX_PATH, L'\0');
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
    cwd.resize(n < cwd.size() ? n : 0);
    path = cwd.empty() || cwd.back() == L'\\' ? cwd : cwd + L'\\';
  }
  return win32::narrow(path);
}

std::string Win32Process::exeFileName() {
  const std::wstring path = modulePath();
  const auto slash = path.find_last_of(L"\\/");
  const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return name.empty() ? std::string("quilbert.exe") : win32::narrow(name);
}

std::string Win32Process::argumentsOf(const std::wstring& line, const std::wstring& programPath) {
  auto isBlank = [&line](std::size_t at) { return line[at] == L' ' || line[at] == L'\t'; };
  std::size_t i = 0;
  const auto n = static_cast<int>(programPath.size());
  if (!programPath.empty() && line.size() >= programPath.size() &&
      CompareStringOrdinal(line.data(), n, programPath.data(), n, TRUE) == CSTR_EQUAL &&
      (line.size() == programPath.size() || isBlank(programPath.size()))) {
    i = programPath.size();
  } else if (!line.empty() && line[0] == L'"') {
    const auto close = line.find(L'"', 1);
    i = close == std::wstring::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !isBlank(i)) ++i;
  }
  while (i < line.size() && isBlank(i)) ++i;
  return win32::narrow(line.substr(i));
}

std::string Win32Process::commandLine() {
  return argumentsOf(GetCommandLineW(), modulePath());
}

bool Win32Process::claimSingleInstance() {
  if (mutex_ != nullptr) return true;
  const std::wstring user = processUser(GetCurrentProcess());
  // Per logon session and per user, owned by the user and open to no one
  // else: another account's process in the session cannot take the name
  // first, nor hold an object we would take for a running instance.
  const std::wstring mutexName = L"Local\\" + name_ + L".instance." + user;
  const std::wstring sddl = L"O:" + user + L"D:P(A;;GA;;;" + user + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (user.empty() || ConvertStringSecurityDescriptorToSecurityDescriptorW(
                          sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr) == FALSE) {
    descriptor = nullptr;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  HANDLE mutex =
      CreateMutexW(descriptor != nullptr ? &attributes : nullptr, FALSE, mutexName.c_str());
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  // When the check itself cannot be made, running twice is better than not at all.
  if (mutex == nullptr) {
    std::fprintf(stderr, "quilbert: cannot check for another running instance: %s\n",
                 win32::errorText(error).c_str());
    return true;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    const bool ours = !user.empty() && objectOwner(mutex) == user;
    CloseHandle(mutex);
    if (!ours) {
      std::fprintf(stderr, "quilbert: the single-instance lock is held by another user\n");
      return true;
    }
    requestActivation(user);
    return false;
  }
  mutex_ = mutex;
  return true;
}

void Win32Process::requestActivation(const std::wstring& user) const {
  const auto deadline = std::chrono::steady_clock::now() + kActivationTimeout;
  for (;;) {
    // Only a window of the same user's process gets the foreground handed on.
    HWND first = nullptr;
    while ((first = FindWindowExW(HWND_MESSAGE, first, kWindowClass, name_.c_str())) != nullptr) {
      if (windowUser(first) != user) continue;
      // The user started us, so we may hand the foreground on to the first one.
      DWORD pid = 0;
      GetWindowThreadProcessId(first, &pid);
      if (pid != 0) AllowSetForegroundWindow(pid);
      PostMessageW(first, kActivateMessage, 0, 0);
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void Win32Process::listenForActivation(std::function<void()> onActivate) {
  onActivate_ = std::move(onActivate);
  if (window_ != nullptr || mutex_ == nullptr) return;
  HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = activationProc;
  cls.hInstance = module;
  cls.lpszClassName = kWindowClass;
  RegisterClassExW(&cls);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kWindowClass, name_.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            module, &onActivate_);
  if (window_ == nullptr) {
    std::fprintf(stderr, "quilbert: cannot listen for activation: %s\n",
                 win32::errorText(GetLastError()).c_str());
  }
}

void Win32Process::serviceActivation() {
  if (window_ == nullptr) return;
  MSG message{};
  while (PeekMessageW(&message, static_cast<HWND>(window_), kActivateMessage, kActivateMessage,
                      PM_REMOVE) != FALSE) {
    DispatchMessageW(&message);
  }
}

std::string Win32Process::replaceFile(const std::string& path, const std::string& bytes,
                                      bool ownerOnly) {
  return files::replace(pathFromUtf8(path), bytes, ownerOnly);
}

}  // namespace quilbert::platform
