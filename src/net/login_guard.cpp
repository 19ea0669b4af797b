#include "net/login_guard.h"

#include <algorithm>
#include <functional>
#include <random>

#include "app/text.h"
#include "platform/network.h"

namespace quilbert::net {

namespace {
std::string serverOf(const std::string& path) {
  const std::size_t start = path.find_first_not_of('\\');
  if (start == std::string::npos) return {};
  const std::size_t end = path.find('\\', start);
  return path.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
}  // namespace

bool loginRefused(std::int32_t code) {
  namespace e = platform::neterr;
  static constexpr std::int32_t kRefusals[] = {
      e::kLogonFailure,       e::kInvalidPassword,   e::kAccountLockedOut,
      e::kPasswordExpired,    e::kAccountDisabled,   e::kPasswordMustChange,
      e::kAccountRestriction, e::kInvalidLogonHours, e::kAccountExpired};
  return std::find(std::begin(kRefusals), std::end(kRefusals), code) != std::end(kRefusals);
}

bool wrongPassword(std::int32_t code) {
  return code == platform::neterr::kLogonFailure || code == platform::neterr::kInvalidPassword;
}

bool samePair(const PassItem& a, const PassItem& b) {
  if (app::lowerCase(a.login) != app::lowerCase(b.login) || a.password != b.password) return false;
  return !a.login.empty() || !a.password.empty() ||
         app::lowerCase(serverOf(a.path)) == app::lowerCase(serverOf(b.path));
}

LoginGuard::LoginGuard() {
  std::random_device random;
  for (int i = 0; i < 4; ++i) salt_ += std::to_string(random());
}

std::size_t LoginGuard::key(const PassItem& item) const {
  std::string text = salt_ + '\n' + app::lowerCase(item.login) + '\n' + item.password;
  // A blank pair is the log-on's own account, which a server that does not
  // know it refuses while others accept it: it is guarded per server.
  if (item.login.empty() && item.password.empty())
    text += '\n' + app::lowerCase(serverOf(item.path));
  const std::size_t digest = std::hash<std::string>{}(text);
  platform::wipe(text);
  return digest;
}

std::int32_t LoginGuard::refused(const PassItem& item) const {
  const auto found = refused_.find(key(item));
  return found == refused_.end() ? 0 : found->second;
}

void LoginGuard::note(const PassItem& item, std::int32_t code) {
  if (loginRefused(code)) refused_.emplace(key(item), code);
}

}  // namespace quilbert::net
