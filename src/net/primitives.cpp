#include "net/primitives.h"

#include <utility>

#include "app/catalogue.h"
#include "app/text.h"
#include "net/credential_source.h"
#include "platform/secret.h"

namespace quilbert::net {

UserNameError::UserNameError(std::int32_t c)
    : std::runtime_error("Error #" + std::to_string(c) + " occurred during request."), code(c) {}

void AddDriveConnection(app::Globals& g, const std::string& localName,
                        const std::string& remoteName, const std::string& userName,
                        const std::string& password) {
  platform::NetResource r;
  r.scope = 0;
  r.type = platform::kTypeDisk;
  r.displayType = 0;
  r.usage = 0;
  r.localName = localName;
  r.remoteName = remoteName;
  r.comment = std::nullopt;
  r.provider = std::string();
  LetterCredentials c = letterCredentials(g, remoteName, userName, password);
  const int rc = c.code != 0 ? c.code : g.svc.network.addConnection(r, c.password, userName, 0);
  platform::wipe(c.password);
  if (rc != 0) g.LastNetError = rc;
}

std::int32_t CancelDriveConnection(app::Globals& g, const std::string& localName) {
  return g.svc.network.cancelConnection(localName, platform::kConnectUpdateProfile, false);
}

std::string UserName(app::Globals& g, const std::string& localName) {
  std::string buffer(255, ' ');
  std::uint32_t length = 255;
  const int rc = g.svc.network.getUser(localName, buffer, length);
  if (rc != 0) throw UserNameError(rc);
  return app::trimSpaces(buffer);
}

std::string logonUserForFiles(app::Globals& g) {
  try {
    const std::string answer = UserName(g, "");
    const auto nul = answer.find('\0');
    if (nul != std::string::npos) return app::lowerCase(answer.substr(0, nul));
  } catch (const UserNameError&) {
  }
  return {};
}

int errorMessageNumber(std::int32_t code) {
  static constexpr std::pair<std::int32_t, int> kTable[] = {
      {5, 81},
      {53, 80},
      {67, 80},
      {85, 101},
      {86, 102},
      {1200, 85},
      {1201, 86},
      {1202, 87},
      {1203, 88},
      {1204, 89},
      {1205, 90},
      {1206, 91},
      {1207, 92},
      {1208, 93},
      {1209, 94},
      {1210, 95},
      {1211, 96},
      {1212, 97},
      {1213, 98},
      {1214, 99},
      {1215, 100},
      {1216, 103},
      {1217, 104},
      {1218, 105},
      {1219, 106},
      {1220, 107},
      {1221, 108},
      {1222, 109},
      {1231, 109},
      {1326, 102},
      {2202, 81},
      {2250, 82},
      {2401, 83},
      {2404, 84},
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
  for (const auto& [c, n] : kTable) {
    if (c == code) return n;
  }
  return 110;
}

void SetNetErrorText(app::Globals& g, std::int32_t code) {
  g.NetErrorText.clear();
  const int n = errorMessageNumber(code);
  if (n >= 0) g.NetErrorText = g.msg(n);
}

void SetNetErrorText(app::Globals& g, std::int32_t code, const std::string& path) {
  SetNetErrorText(g, code);
  if (code != platform::neterr::kNoUnicodeTranslation) return;
  const std::string refused = g.svc.network.uncarried(path);
  if (!refused.empty()) g.NetErrorText = g.msg(app::kMsgNotCarried, {refused});
}

}  // namespace quilbert::net
