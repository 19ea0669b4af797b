// quilbert-cli browse [\\SERVER]
#include <deque>
#include <set>

#include "app/text.h"
#include "cli/commands.h"
#include "net/container_listing.h"
#include "net/primitives.h"
#include "platform/shown_text.h"

namespace quilbert::cli {

namespace {

using platform::NetResource;
namespace neterr = platform::neterr;

// A container that holds servers (a workgroup or domain, or the entry of the
// announced and configured servers) with what it holds.
struct Group {
  NetResource resource;
  std::vector<NetResource> servers;
  int code = neterr::kOk;
};

// Containers above the servers are few; the bound only guards against a
// service that returns a container inside itself for ever.
constexpr std::size_t kMostContainers = 1000;

std::string heading(const app::Catalogue& texts, std::uint32_t displayType) {
  const int n = net::headingNumber(displayType);
  return n != 0 ? texts.msg(n) + " " : std::string();
}

// "[Server] \\ATLAS (File server)": the report's heading, the name and the
// comment, as other hosts gave them made fit for a terminal.
std::string describe(const app::Catalogue& texts, const NetResource& r) {
  std::string line = heading(texts, r.displayType) + platform::shownText(r.remoteName.value_or(""));
  if (r.comment && !r.comment->empty()) line += " (" + platform::shownText(*r.comment) + ")";
  return line;
}

nlohmann::json entry(const NetResource& r) {
  return {{"name", r.remoteName.value_or("")}, {"comment", r.comment.value_or("")}};
}

nlohmann::json failure(const app::Catalogue& texts, int code) {
  return {{"code", code}, {"reason", net::netErrorWords(texts, code)}};
}

// Walks the containers down from `top` to the servers, without opening any
// server: listing the shares of every server would cost a round trip each.
std::vector<Group> walkGroups(platform::Network& net, const std::vector<NetResource>& top) {
  std::vector<Group> groups;
  std::deque<NetResource> toVisit(top.begin(), top.end());
  std::set<std::string> seen;
  while (!toVisit.empty() && seen.size() < kMostContainers) {
    NetResource container = std::move(toVisit.front());
    toVisit.pop_front();
    if ((container.usage & platform::kUsageContainer) == 0 ||
        container.displayType == platform::kDisplayServer ||
        container.displayType == platform::kDisplayShare ||
        !seen.insert(container.remoteName.value_or("") + "\n" + container.provider.value_or(""))
             .second) {
      continue;
    }
    Group group{container, {}, neterr::kOk};
    std::vector<NetResource> children;
    group.code = net::listContainer(net, &container, platform::kTypeAny, children);
    bool holdsGroups = false;
    for (NetResource& child : children) {
      if (child.displayType == platform::kDisplayServer) {
        group.servers.push_back(std::move(child));
      } else {
        holdsGroups = true;
        toVisit.push_back(std::move(child));
      }
    }
    // A workgroup (or group of servers) is listed even when empty; a container of workgroups
    // (a provider, the computers found) only through them.
    if (!group.servers.empty() || ((container.displayType == platform::kDisplayDomain ||
                                    container.displayType == platform::kDisplayGroup) &&
                                   !holdsGroups)) {
      groups.push_back(std::move(group));
    }
  }
  return groups;
}

// Each group with its servers below it, and why a group could not be listed.
void printGroups(const app::Catalogue& texts, Output& o, const std::vector<Group>& groups) {
  nlohmann::json list = nlohmann::json::array();
  std::string lines;
  for (const Group& group : groups) {
    nlohmann::json item = entry(group.resource);
    nlohmann::json servers = nlohmann::json::array();
    lines += describe(texts, group.resource) + "\n";
    for (const NetResource& server : group.servers) {
      servers.push_back(entry(server));
      lines += "  " + describe(texts, server) + "\n";
    }
    item["servers"] = std::move(servers);
    if (group.code != neterr::kOk) {
      item.update(failure(texts, group.code));
      lines += "  " + net::netErrorWords(texts, group.code) + "\n";
    }
    list.push_back(std::move(item));
  }
  print(o, nlohmann::json{{"workgroups", std::move(list)}}, lines);
}

int listWorkgroups(Program& p, Output& o) {
  std::vector<NetResource> top;
  const int rc = net::listContainer(p.svc.network, nullptr, platform::kTypeAny, top);
  if (rc != neterr::kOk) {
    nlohmann::json answer = failure(p.texts, rc);
    print(o, answer, "");
    if (!o.json) o.err << net::netErrorWords(p.texts, rc) << "\n";
    return 1;
  }
  printGroups(p.texts, o, walkGroups(p.svc.network, top));
  return 0;
}

int listShares(Program& p, Output& o, const std::string& server) {
  NetResource container;
  container.scope = platform::kScopeGlobalNet;
  container.displayType = platform::kDisplayServer;
  container.usage = platform::kUsageContainer;
  container.remoteName = server;
  std::vector<NetResource> shares;
  const int rc = net::listContainer(p.svc.network, &container, platform::kTypeDisk, shares);
  nlohmann::json answer{{"server", server}};
  if (rc != neterr::kOk) {
    answer.update(failure(p.texts, rc));
    print(o, answer, "");
    if (!o.json) o.err << net::netErrorWords(p.texts, rc) << " (" << server << ")\n";
    return 1;
  }
  nlohmann::json list = nlohmann::json::array();
  std::string lines;
  for (const NetResource& share : shares) {
    list.push_back(entry(share));
    lines += describe(p.texts, share) + "\n";
  }
  answer["shares"] = std::move(list);
  print(o, answer, lines);
  return 0;
}

}  // namespace

int browse(Program& p, Output& o, const std::string& server) {
  return server.empty() ? listWorkgroups(p, o) : listShares(p, o, server);
}

}  // namespace quilbert::cli
