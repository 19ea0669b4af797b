#include "net/server_probe.h"

#include "app/text.h"
#include "net/connect_pass.h"
#include "net/container_listing.h"

namespace quilbert::net {

namespace neterr = platform::neterr;

bool sameSharePath(std::string_view a, std::string_view b) {
  auto norm = [](std::string_view s) {
    std::string t = app::lowerCase(app::trimSpaces(s));
    while (t.size() > 2 && (t.back() == '\\' || t.back() == '/')) t.pop_back();
    return t;
  };
  return norm(a) == norm(b);
}

int ServerProbe::why(const std::string& path) {
  const std::size_t slash = path.rfind("\\\\", 0) == 0 ? path.find('\\', 2) : std::string::npos;
  if (slash == std::string::npos) return neterr::kBadNetName;
  const std::string server = path.substr(0, slash);
  std::string share = path.substr(slash + 1);
  share = share.substr(0, share.find('\\'));
  auto [it, fresh] = servers_.try_emplace(app::lowerCase(server));
  if (fresh) {
    platform::NetResource container;
    container.scope = platform::kScopeGlobalNet;
    container.displayType = platform::kDisplayServer;
    container.usage = platform::kUsageContainer;
    container.remoteName = server;
    it->second.code = listContainer(net_, &container, platform::kTypeDisk, it->second.shares);
  }
  if (it->second.code != neterr::kOk) return it->second.code;
  for (const auto& r : it->second.shares) {
    if (sameSharePath(r.remoteName.value_or(""), server + "\\" + share))
      return neterr::kNotConnected;
  }
  return neterr::kBadNetName;
}

bool ServerProbe::silent(const std::string& path) {
  return waitsForNetwork(why(path));
}

}  // namespace quilbert::net
