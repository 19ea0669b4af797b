#include "platform/linux/linux_domain.h"

#include <openssl/evp.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "platform/lazy_library.h"

namespace quilbert::platform {

namespace {

std::string fromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The host's name as Windows gives a computer's: upper case, without the
// DNS domain.
std::string computerName() {
  utsname u{};
  if (uname(&u) != 0) return {};
  std::string name(u.nodename);
  name = name.substr(0, name.find('.'));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

// OpenSSL's cipher calls, from libcrypto loaded at the first policy password
// rather than at every start: most starts never see one.
struct CryptoCalls {
  decltype(&EVP_CIPHER_CTX_new) ctxNew;
  decltype(&EVP_CIPHER_CTX_free) ctxFree;
  decltype(&EVP_aes_256_cbc) aes256Cbc;
  decltype(&EVP_CipherInit_ex) init;
  decltype(&EVP_CipherUpdate) update;
  decltype(&EVP_CipherFinal_ex) finish;
};

const CryptoCalls* cryptoCalls() {
  static const LibraryCalls<CryptoCalls> calls("libcrypto.so.3", "libssl3", "OpenSSL's libcrypto",
                                               [](LazyLibrary& l, CryptoCalls& c) {
                                                 l.take("EVP_CIPHER_CTX_new", c.ctxNew);
                                                 l.take("EVP_CIPHER_CTX_free", c.ctxFree);
                                                 l.take("EVP_aes_256_cbc", c.aes256Cbc);
                                                 l.take("EVP_CipherInit_ex", c.init);
                                                 l.take("EVP_CipherUpdate", c.update);
                                                 l.take("EVP_CipherFinal_ex", c.finish);
                                               });
  return calls.get();
}

std::string accountName() {
  const passwd* pw = getpwuid(getuid());
  return pw != nullptr ? pw->pw_name : "";
}

}  // namespace

std::map<std::string, std::string> LinuxDomain::logonVariables() {
  std::map<std::string, std::string> v;
  for (const char* name : {"USERNAME", "USERDOMAIN", "LOGONSERVER", "COMPUTERNAME"}) {
    v[name] = fromEnvironment(name);
  }
  if (v["COMPUTERNAME"].empty()) v["COMPUTERNAME"] = computerName();
  if (v["USERNAME"].empty()) v["USERNAME"] = accountName();
  if (v["USERDOMAIN"].empty()) v["USERDOMAIN"] = v["COMPUTERNAME"];
  if (v["LOGONSERVER"].empty()) v["LOGONSERVER"] = "\\\\" + v["COMPUTERNAME"];
  return v;
}

std::optional<std::string> LinuxDomain::aes256Cbc(CipherWay way, std::string_view key,
                                                  std::string_view iv, std::string_view data) {
  if (key.size() != 32 || iv.size() != 16 || data.size() > 1U << 20U) return std::nullopt;
  const CryptoCalls* c = cryptoCalls();
  if (c == nullptr) return std::nullopt;
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(c->ctxFree)> ctx(c->ctxNew(), c->ctxFree);
  const auto* k = reinterpret_cast<const unsigned char*>(key.data());
  const auto* i = reinterpret_cast<const unsigned char*>(iv.data());
  const int enc = way == CipherWay::Encrypt ? 1 : 0;
  if (!ctx || c->init(ctx.get(), c->aes256Cbc(), nullptr, k, i, enc) != 1) return std::nullopt;
  std::string out(data.size() + 16, '\0');
  auto* o = reinterpret_cast<unsigned char*>(out.data());
  int n = 0;
  int last = 0;
  if (c->update(ctx.get(), o, &n, reinterpret_cast<const unsigned char*>(data.data()),
                static_cast<int>(data.size())) != 1 ||
      c->finish(ctx.get(), o + n, &last) != 1) {
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(n + last));
  return out;
}

}  // namespace quilbert::platform
