#include "platform/win32/win32_credentials.h"

#include <windows.h>
// wincred.h needs the types of windows.h first.
#include <wincred.h>

#include <cwctype>

#include "platform/secret.h"
#include "platform/win32/win32_text.h"

namespace quilbert::platform {

namespace {

bool sameName(std::wstring a, std::wstring b) {
  for (auto* s : {&a, &b}) {
    for (wchar_t& c : *s) c = static_cast<wchar_t>(std::towlower(c));
  }
  return a == b;
}

// A domain password names its user as DOMAIN\user or as a UPN; a plain
// login is the server's own account.
std::wstring qualified(const std::string& server, const std::string& login) {
  const bool whole = login.find('\\') != std::string::npos || login.find('@') != std::string::npos;
  return win32::widen(whole ? login : server + "\\" + login);
}

void wipeWide(std::wstring& w) {
  volatile wchar_t* p = w.data();
  for (std::size_t i = 0; i < w.size(); ++i) p[i] = L'\0';
  w.clear();
}

}  // namespace

StoredPassword Win32Credentials::lookup(const std::string& server, const std::string& login) {
  StoredPassword found;
  const std::wstring target = win32::widen(server);
  PCREDENTIALW credential = nullptr;
  if (CredReadW(target.c_str(), CRED_TYPE_DOMAIN_PASSWORD, 0, &credential) == FALSE) {
    const DWORD error = GetLastError();
    if (error != ERROR_NOT_FOUND) {
      found.state = StoredPassword::State::Unavailable;
      found.reason = "the Credential Manager did not answer: " + win32::errorText(error);
    }
    return found;
  }
  const wchar_t* user = credential->UserName != nullptr ? credential->UserName : L"";
  if (sameName(user, win32::widen(login)) || sameName(user, qualified(server, login))) {
    found.state = StoredPassword::State::Found;
    std::wstring blob(reinterpret_cast<const wchar_t*>(credential->CredentialBlob),
                      credential->CredentialBlobSize / sizeof(wchar_t));
    found.password = win32::narrow(blob);
    wipeWide(blob);
  }
  SecureZeroMemory(credential->CredentialBlob, credential->CredentialBlobSize);
  CredFree(credential);
  return found;
}

std::string Win32Credentials::save(const std::string& server, const std::string& login,
                                   const std::string& password) {
  std::wstring target = win32::widen(server);
  std::wstring user = qualified(server, login);
  std::wstring secret = win32::widen(password);
  CREDENTIALW credential{};
  credential.Type = CRED_TYPE_DOMAIN_PASSWORD;
  credential.TargetName = target.data();
  credential.UserName = user.data();
  credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
  credential.CredentialBlobSize = static_cast<DWORD>(secret.size() * sizeof(wchar_t));
  // As the system's own tools keep a server's password: for this user, on
  // every machine the profile reaches.
  credential.Persist = CRED_PERSIST_ENTERPRISE;
  const BOOL kept = CredWriteW(&credential, 0);
  const DWORD error = GetLastError();
  wipeWide(secret);
  if (kept == FALSE) return "the Credential Manager refused it: " + win32::errorText(error);
  return {};
}

std::string Win32Credentials::remove(const std::string& server, const std::string& login) {
  StoredPassword held = lookup(server, login);
  wipe(held.password);
  // Another login's credential for the server is not ours to remove.
  if (held.state != StoredPassword::State::Found) return {};
  const std::wstring target = win32::widen(server);
  if (CredDeleteW(target.c_str(), CRED_TYPE_DOMAIN_PASSWORD, 0) == FALSE &&
      GetLastError() != ERROR_NOT_FOUND) {
    return "the Credential Manager did not forget it: " + win32::errorText(GetLastError());
  }
  return {};
}

}  // namespace quilbert::platform
