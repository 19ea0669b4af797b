// quilbert-cli status
#include <map>
#include <ostream>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "cli/commands.h"
#include "net/primitives.h"
#include "ui/report/net_resources.h"

namespace quilbert::cli {

namespace {

namespace neterr = platform::neterr;

// Share paths name the same share whatever their case and a final backslash.
bool samePath(std::string_view a, std::string_view b) {
  auto norm = [](std::string_view s) {
    std::string t = app::lowerCase(app::trimSpaces(s));
    while (t.size() > 2 && (t.back() == '\\' || t.back() == '/')) t.pop_back();
    return t;
  };
  return norm(a) == norm(b);
}

// Why a letter that is not connected could not be: its server is not
// reached (53, 1231, ...) or does not offer the share (67); 2250 when
// nothing stands in the way. Each server is asked once.
class Probe {
 public:
  explicit Probe(platform::Network& net) : net_(net) {}
  int why(const std::string& path) {
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
      it->second.code =
          ui::gNetRes1::ListContainer(net_, &container, platform::kTypeDisk, it->second.shares);
    }
    if (it->second.code != neterr::kOk) return it->second.code;
    for (const auto& r : it->second.shares) {
      if (samePath(r.remoteName.value_or(""), server + "\\" + share)) return neterr::kNotConnected;
    }
    return neterr::kBadNetName;
  }

 private:
  struct Answer {
    int code = neterr::kOk;
    std::vector<platform::NetResource> shares;
  };
  platform::Network& net_;
  std::map<std::string, Answer> servers_;
};

}  // namespace

int Status(app::Globals& g, Output& o) {
  nlohmann::json letters = nlohmann::json::array();
  std::string lines;
  int down = 0;
  Probe probe(g.svc.network);
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const app::DriveEntry& e = g.DriveTable[static_cast<std::size_t>(i)];
    if (!app::isActiveEntry(e)) continue;
    const char letter = static_cast<char>('A' + i - 1);
    const std::string path = app::trimSpaces(e.Path);
    std::string remote;
    int code = g.svc.network.getConnection(std::string(1, letter) + ":", remote);
    const bool connected = code == neterr::kOk && samePath(remote, path);
    if (code == neterr::kOk && !connected) {
      code = neterr::kAlreadyAssigned;  // held by another share
    } else if (code == neterr::kNotConnected) {
      // A local drive, or an entry of its own, holds the letter.
      if (const auto drive = g.svc.drives.getDrive(letter); drive && drive->type != 3) {
        code = neterr::kAlreadyAssigned;
      } else {
        code = probe.why(path);
      }
    }
    nlohmann::json item{
        {"letter", std::string(1, letter)}, {"path", path}, {"connected", connected}};
    std::string line = std::string(1, letter) + ": " + path + "  ";
    if (connected) {
      line += g.msg(app::kMsgConnected);
    } else {
      ++down;
      net::SetNetErrorText(g, code);
      item["code"] = code;
      item["reason"] = g.NetErrorText;
      line += g.NetErrorText;
      if (!remote.empty()) line += " (" + remote + ")";
    }
    if (!remote.empty()) item["to"] = remote;
    letters.push_back(std::move(item));
    lines += line + "\n";
  }
  Print(o, nlohmann::json{{"letters", std::move(letters)}, {"notConnected", down}}, lines);
  return down;
}

}  // namespace quilbert::cli
