#include "platform/win32/win32_process.h"

#include <windows.h>
// The security calls need the types of windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

namespace quilbert::platform {

namespace {

constexpr wchar_t kWindowClass[] = L"QuilbertActivation";
// Our own class's window: a private message number cannot be confused.
constexpr UINT kActivateMessage = WM_APP + 1;
constexpr UINT kChangedMessage = WM_APP + 2;
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
  const auto* listeners = win32::windowSelf<const Win32Process::Listeners>(window, message, lParam);
  if (message == kActivateMessage || message == kChangedMessage) {
    if (listeners != nullptr) {
      // A copy: the callback may replace itself.
      auto callback = message == kActivateMessage ? listeners->activate : listeners->changed;
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

std::string Win32Process::userLanguage() {
  switch (PRIMARYLANGID(GetUserDefaultUILanguage())) {
    case LANG_ENGLISH:
      return "en";
    case LANG_FRENCH:
      return "fr";
    default:
      return "other";
  }
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
    logLine("cannot check for another running instance: " + win32::errorText(error));
    return true;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    const bool ours = !user.empty() && objectOwner(mutex) == user;
    CloseHandle(mutex);
    if (!ours) {
      logLine("the single-instance lock is held by another user");
      return true;
    }
    post(user, kActivateMessage, true, kActivationTimeout);
    return false;
  }
  mutex_ = mutex;
  return true;
}

bool Win32Process::post(const std::wstring& user, unsigned message, bool handForeground,
                        std::chrono::milliseconds patience) const {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    // Only a window of the same user's process is told.
    HWND first = nullptr;
    while ((first = FindWindowExW(HWND_MESSAGE, first, kWindowClass, name_.c_str())) != nullptr) {
      if (windowUser(first) != user) continue;
      // The user started us, so we may hand the foreground on to the first one.
      DWORD pid = 0;
      GetWindowThreadProcessId(first, &pid);
      if (handForeground && pid != 0) AllowSetForegroundWindow(pid);
      PostMessageW(first, message, 0, 0);
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void Win32Process::tellConnectionsChanged() {
  const std::wstring user = processUser(GetCurrentProcess());
  if (!user.empty()) post(user, kChangedMessage, false, std::chrono::milliseconds(0));
}

void Win32Process::listenForConnectionChanges(std::function<void()> onChanged) {
  listeners_.changed = std::move(onChanged);
}

void Win32Process::listenForActivation(std::function<void()> onActivate) {
  listeners_.activate = std::move(onActivate);
  if (window_ != nullptr || mutex_ == nullptr) return;
  window_ = win32::createHiddenWindow(kWindowClass, activationProc, &listeners_, name_.c_str(), 0,
                                      0, HWND_MESSAGE);
  if (window_ == nullptr) {
    logLine("cannot listen for activation: " + win32::errorText(GetLastError()));
  }
}

void Win32Process::serviceActivation() {
  if (window_ == nullptr) return;
  MSG message{};
  while (PeekMessageW(&message, static_cast<HWND>(window_), kActivateMessage, kChangedMessage,
                      PM_REMOVE) != FALSE) {
    DispatchMessageW(&message);
  }
}

namespace {

// The owners trusted with settings: the user, the administrators, the system.
bool trustedSid(PSID sid, PSID user) {
  if (sid == nullptr) return false;
  if (user != nullptr && EqualSid(sid, user) != FALSE) return true;
  return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) != FALSE ||
         IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
}

// Why one file or folder is not trusted; empty when it is.
std::string untrustedObject(const std::string& path, PSID user) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring wide = pathFromUtf8(path).wstring();
  if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return path + ": its owner cannot be read";
  }
  std::string why;
  if (!trustedSid(owner, user)) why = path + ": owned by another user";
  // Rights that change the file, or add files to the folder.
  constexpr DWORD kWrites = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                            DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  if (why.empty() && dacl == nullptr) why = path + ": anyone may write to it";
  for (DWORD i = 0; why.empty() && dacl != nullptr && i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) == FALSE) continue;
    // Inherit-only entries give nothing on this object itself.
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE || (ace->AceFlags & INHERIT_ONLY_ACE) != 0) {
      continue;
    }
    const auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & kWrites) != 0 && !trustedSid(sid, user) &&
        IsWellKnownSid(sid, WinCreatorOwnerSid) == FALSE) {
      why = path + ": others may write to it";
    }
  }
  LocalFree(descriptor);
  return why;
}

}  // namespace

std::string Win32Process::untrustedFile(const std::string& path) {
  HANDLE token = nullptr;
  std::vector<unsigned char> user;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != FALSE) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || GetTokenInformation(token, TokenUser, user.data(), size, &size) == FALSE) {
      user.clear();
    }
    CloseHandle(token);
  }
  PSID sid = user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  const std::size_t cut = path.find_last_of("\\/");
  std::string why = untrustedObject(path, sid);
  // The folder by its own name ("C:\" for a root).
  if (why.empty() && cut != std::string::npos) {
    why = untrustedObject(path.substr(0, cut > 0 && path[cut - 1] == ':' ? cut + 1 : cut), sid);
  }
  return why;
}

std::string Win32Process::replaceFile(const std::string& path, const std::string& bytes,
                                      bool ownerOnly) {
  return files::replace(pathFromUtf8(path), bytes, ownerOnly);
}

}  // namespace quilbert::platform
