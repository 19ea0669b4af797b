#include "platform/win32/win32_domain.h"

#include <windows.h>
// bcrypt.h needs the types of windows.h first.
#include <bcrypt.h>

#include "platform/win32/win32_text.h"

namespace quilbert::platform {

namespace {

std::string variable(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? win32::narrow(std::wstring_view(value, n)) : "";
}

std::string computerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? win32::narrow(std::wstring_view(name, size)) : "";
}

std::string accountName() {
  wchar_t name[257];
  DWORD size = 257;
  return GetUserNameW(name, &size) && size > 0 ? win32::narrow(std::wstring_view(name, size - 1))
                                               : "";
}

// An algorithm handle and a key, closed when they go.
struct AesKey {
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  ~AesKey() {
    if (key != nullptr) BCryptDestroyKey(key);
    if (alg != nullptr) BCryptCloseAlgorithmProvider(alg, 0);
  }
};

}  // namespace

std::map<std::string, std::string> Win32Domain::logonVariables() {
  std::map<std::string, std::string> v;
  v["USERNAME"] = variable(L"USERNAME");
  v["USERDOMAIN"] = variable(L"USERDOMAIN");
  v["LOGONSERVER"] = variable(L"LOGONSERVER");
  v["COMPUTERNAME"] = variable(L"COMPUTERNAME");
  if (v["COMPUTERNAME"].empty()) v["COMPUTERNAME"] = computerName();
  if (v["USERNAME"].empty()) v["USERNAME"] = accountName();
  if (v["USERDOMAIN"].empty()) v["USERDOMAIN"] = v["COMPUTERNAME"];
  if (v["LOGONSERVER"].empty()) v["LOGONSERVER"] = "\\\\" + v["COMPUTERNAME"];
  return v;
}

std::optional<std::string> Win32Domain::aes256Cbc(CipherWay way, std::string_view key,
                                                  std::string_view iv, std::string_view data) {
  if (key.size() != 32 || iv.size() != 16 || data.size() > 1U << 20U) return std::nullopt;
  AesKey aes;
  auto* chaining = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC);
  if (BCryptOpenAlgorithmProvider(&aes.alg, BCRYPT_AES_ALGORITHM, nullptr, 0) != 0 ||
      BCryptSetProperty(aes.alg, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(chaining),
                        sizeof BCRYPT_CHAIN_MODE_CBC, 0) != 0) {
    return std::nullopt;
  }
  std::string secret(key);
  const NTSTATUS made = BCryptGenerateSymmetricKey(aes.alg, &aes.key, nullptr, 0,
                                                   reinterpret_cast<PUCHAR>(secret.data()),
                                                   static_cast<ULONG>(secret.size()), 0);
  SecureZeroMemory(secret.data(), secret.size());
  if (made != 0) return std::nullopt;
  // CNG changes the IV it is given as it goes: a copy of ours.
  std::string chain(iv);
  std::string input(data);
  std::string out(data.size() + 16, '\0');
  ULONG written = 0;
  auto* run = way == CipherWay::Encrypt ? &BCryptEncrypt : &BCryptDecrypt;
  const NTSTATUS rc =
      run(aes.key, reinterpret_cast<PUCHAR>(input.data()), static_cast<ULONG>(input.size()),
          nullptr, reinterpret_cast<PUCHAR>(chain.data()), static_cast<ULONG>(chain.size()),
          reinterpret_cast<PUCHAR>(out.data()), static_cast<ULONG>(out.size()), &written,
          BCRYPT_BLOCK_PADDING);
  SecureZeroMemory(input.data(), input.size());
  if (rc != 0) return std::nullopt;
  out.resize(written);
  return out;
}

}  // namespace quilbert::platform
