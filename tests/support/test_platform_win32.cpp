#include <windows.h>
// sddl.h needs the types of windows.h first.
#include <sddl.h>
// aclapi.h too.
#include <aclapi.h>

#include <functional>
#include <random>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/win32_domain.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"
#include "support/test_platform.h"

namespace quilbert::testing {

namespace {

const char kShellFolders[] = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)";
const char kRun[] = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Run)";

std::string scopeName(const std::filesystem::path& scope) {
  return "QuilbertTest-" + std::to_string(std::hash<std::wstring>{}(scope.wstring()));
}

}  // namespace

std::unique_ptr<platform::Domain> nativeDomain() {
  return std::make_unique<platform::Win32Domain>();
}

TestProcess::TestProcess(std::string commandLine, std::string appDir,
                         const std::filesystem::path& scope)
    : commandLine_(std::move(commandLine)),
      appDir_(std::move(appDir)),
      native_(std::make_unique<platform::Win32Process>(scopeName(scope))) {}

TestProcess::~TestProcess() = default;

// The real registry under a key of this test's own, below HKEY_CURRENT_USER.
struct TestRegistry::Native : platform::Win32Registry {
  explicit Native(const std::string& key) : Win32Registry(key), key(key) {}
  std::string key;
};

TestRegistry::TestRegistry(const std::filesystem::path& testFolder,
                           const std::filesystem::path& settingsFolder)
    : native_(std::make_unique<Native>(R"(Software\QuilbertTests\)" + scopeName(testFolder))) {
  real_ = native_.get();
  native_->removeIsolatedTree();  // a test killed earlier may have left it
  native_->createKey(platform::kHkeyLocalMachine, kRun);
  native_->createKey(platform::kHkeyCurrentUser, kShellFolders);
  platform::RegKey key = 0;
  if (native_->openKey(platform::kHkeyCurrentUser, kShellFolders, platform::kKeyAllAccess, key) ==
      0) {
    native_->setValue(key, "Local AppData", platform::kRegSz,
                      platform::utf8FromPath(settingsFolder) + '\0');
    native_->closeKey(key);
  }
  std::filesystem::create_directories(settingsFolder);
}

TestRegistry::~TestRegistry() {
  // Give write access back first, or the tree could not be removed.
  setReadOnly(platform::kHkeyLocalMachine, kRun, false);
  native_->removeIsolatedTree();
}

// A real refusal: the key's own access list lets everyone read it only.
void TestRegistry::setReadOnly(std::uint32_t root, const std::string& subKey, bool readOnly) {
  const std::wstring path = platform::win32::widen(
      native_->key +
      (root == platform::kHkeyCurrentUser ? R"(\HKEY_CURRENT_USER\)" : R"(\HKEY_LOCAL_MACHINE\)") +
      subKey);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
  const wchar_t* sddl = readOnly ? L"D:P(A;;KR;;;WD)" : L"D:P(A;;KA;;;WD)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                           nullptr) != FALSE) {
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
  }
  RegCloseKey(key);
}

// On Windows the Run values themselves start the program at log-on: the
// machine's and the user's.
bool TestRegistry::startsAtLogOn(const std::string& command) const {
  bool any = false;
  bool match = false;
  for (const std::uint32_t root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    platform::RegKey key = 0;
    if (native_->openKey(root, kRun, platform::kKeyQueryValue, key) != 0) continue;
    std::string data(1024, '\0');
    std::uint32_t size = 1024;
    std::uint32_t type = 0;
    if (native_->queryValue(key, "Quilbert", &type, &data, size) == 0) {
      any = true;
      match = match || (type == platform::kRegSz && data.substr(0, size) == command + '\0');
    }
    native_->closeKey(key);
  }
  return command.empty() ? !any : match;
}

// Every entry that grants access names the user or the system itself. Wine
// keeps a file's access list as Unix permission bits and reads it back with
// SYSTEM added and without its protection, so neither of those can be asked.
bool readableByOwnerOnly(const std::filesystem::path& file) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  HANDLE token = nullptr;
  std::vector<unsigned char> user;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != FALSE) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (GetTokenInformation(token, TokenUser, user.data(), size, &size) == FALSE) user.clear();
    CloseHandle(token);
  }
  unsigned char system[SECURITY_MAX_SID_SIZE];
  DWORD systemSize = sizeof system;
  CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize);
  bool userAllowed = false;
  bool othersAllowed = dacl == nullptr;  // no list at all lets everyone in
  for (DWORD i = 0; dacl != nullptr && !user.empty() && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(dacl, i, &ace) == FALSE) return false;
    if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
    if (EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) != FALSE) {
      userAllowed = true;
    } else if (EqualSid(sid, system) == FALSE) {
      othersAllowed = true;
    }
  }
  LocalFree(descriptor);
  return userAllowed && !othersAllowed;
}

BlockedWrites::BlockedWrites(const std::filesystem::path& file) {
  // Open without sharing deletion: nothing can be moved over it meanwhile.
  saved_[0] = reinterpret_cast<std::intptr_t>(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

BlockedWrites::~BlockedWrites() {
  auto handle = reinterpret_cast<HANDLE>(saved_[0]);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

}  // namespace quilbert::testing
