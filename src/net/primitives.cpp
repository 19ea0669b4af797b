#include "net/primitives.h"

#include <utility>

#include "app/catalogue.h"
#include "app/text.h"
#include "net/credential_source.h"
#include "platform/secret.h"

namespace quilbert::net {

UserNameError::UserNameError(std::int32_t c)
    : std::runtime_error("Error #" + std::to_string(c) + " occurred during request."), code(c) {}

NetOutcome AddDriveConnection(const app::Services& svc, const app::Catalogue& texts,
                              const std::string& localName, const std::string& remoteName,
                              const std::string& userName, const std::string& password) {
  platform::NetResource r;
  r.scope = 0;
  r.type = platform::kTypeDisk;
  r.displayType = 0;
  r.usage = 0;
  r.localName = localName;
  r.remoteName = remoteName;
  r.comment = std::nullopt;
  r.provider = std::string();
  LetterCredentials c = letterCredentials(svc, remoteName, userName, password);
  const int rc = c.code != 0 ? c.code : svc.network.addConnection(r, c.password, userName, 0);
  platform::wipe(c.password);
  if (rc == 0) return {};
  return {rc, netErrorWords(texts, svc.network, rc, remoteName)};
}

NetOutcome CancelDriveConnection(const app::Services& svc, const app::Catalogue& texts,
                                 const std::string& localName) {
  const std::int32_t rc =
      svc.network.cancelConnection(localName, platform::kConnectUpdateProfile, false);
  if (rc == 0) return {};
  return {rc, netErrorWords(texts, rc)};
}

std::string UserName(platform::Network& network, const std::string& localName) {
  std::string buffer(255, ' ');
  std::uint32_t length = 255;
  const int rc = network.getUser(localName, buffer, length);
  if (rc != 0) throw UserNameError(rc);
  return app::trimSpaces(buffer);
}

std::string logonUserForFiles(platform::Network& network) {
  try {
    const std::string answer = UserName(network, "");
    const auto nul = answer.find('\0');
    if (nul != std::string::npos) return app::lowerCase(answer.substr(0, nul));
  } catch (const UserNameError&) {
  }
  return {};
}

int errorMessageNumber(std::int32_t code) {
  static constexpr std::pair<std::int32_t, int> kTable[] = {
      {5, app::kMsgAccessDenied},
      {53, app::kMsgNetPathNotFound},
      {67, app::kMsgNetPathNotFound},
      {85, app::kMsgNetAlreadyAssigned},
      {86, app::kMsgNetWrongPassword},
      {1222, app::kMsgNetUnreachable},
      {1231, app::kMsgNetUnreachable},
      {1326, app::kMsgNetWrongPassword},
      {2202, app::kMsgAccessDenied},
      {2250, app::kMsgNetDeviceInUse},
      {2401, app::kMsgNetOpenFiles},
      {2404, app::kMsgNetDeviceNotConnected},
      // The refusals a new password does not mend, which Windows tells apart.
      {1327, app::kMsgAccountRestriction},
      {1328, app::kMsgInvalidLogonHours},
      {1330, app::kMsgPasswordExpired},
      {1331, app::kMsgAccountDisabled},
      {1793, app::kMsgAccountExpired},
      {1907, app::kMsgPasswordMustChange},
      {1909, app::kMsgAccountLockedOut}};
  if (code == platform::neterr::kKeyringLocked) return app::kMsgKeyringLocked;
  if (code == platform::neterr::kNoKeyring) return app::kMsgNoKeyring;
  if (code == 0) return -1;
  // Windows' network codes 1200 to 1221 read consecutive entries.
  if (code >= 1200 && code <= 1215) return app::kMsgNetErrorFirst + (code - 1200);
  if (code >= 1216 && code <= 1221) return app::kMsgNetExtendedFirst + (code - 1216);
  for (const auto& [c, n] : kTable) {
    if (c == code) return n;
  }
  return app::kMsgNetUnknownError;
}

std::string netErrorWords(const app::Catalogue& texts, std::int32_t code) {
  const int n = errorMessageNumber(code);
  return n >= 0 ? texts.msg(n) : std::string();
}

std::string netErrorWords(const app::Catalogue& texts, const platform::Network& network,
                          std::int32_t code, const std::string& path) {
  if (code == platform::neterr::kNoUnicodeTranslation) {
    const std::string refused = network.uncarried(path);
    if (!refused.empty()) return texts.msg(app::kMsgNotCarried, {refused});
  }
  return netErrorWords(texts, code);
}

}  // namespace quilbert::net
