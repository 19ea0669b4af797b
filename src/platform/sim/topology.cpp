#include "platform/sim/topology.h"

#include <array>

#include "platform/sim/names.h"

namespace quilbert::sim {
namespace {

constexpr std::uint32_t kDisplayDirectory = 9;

[[noreturn]] void refuse(const std::string& file, int line, const std::string& what) {
  std::string where;
  if (!file.empty()) where = file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
  throw DescriptionError(where + what);
}

// Refuses an empty name, or one holding a character of `forbidden` (said as
// `forbiddenText`). `kind` is "server", `of` what holds it (" of server \"S\"").
void checkName(const std::string& file, int line, const std::string& kind, const std::string& name,
               std::string_view forbidden, const std::string& forbiddenText,
               const std::string& of = "") {
  if (name.empty()) refuse(file, line, "a " + kind + of + " has an empty name");
  if (name.find_first_of(forbidden) != std::string::npos) {
    refuse(file, line, kind + " \"" + name + "\"" + of + " must not contain " + forbiddenText);
  }
}

// Remembers a name in `seen` with its line; refuses it the second time.
void checkUnique(std::unordered_map<std::string, int>& seen, const std::string& file, int line,
                 const std::string& kind, const std::string& name) {
  auto [it, fresh] = seen.emplace(upperCopy(name), line);
  if (fresh) return;
  std::string first = it->second > 0 ? " (first at line " + std::to_string(it->second) + ")" : "";
  refuse(file, line, kind + " \"" + name + "\" is described twice" + first);
}

// "\\SERVER\SHARE" for any case and a final backslash; empty for no UNC path.
std::string pathKey(std::string_view unc) {
  if (unc.size() < 3 || unc[0] != '\\' || unc[1] != '\\') return {};
  if (unc.back() == '\\') unc.remove_suffix(1);
  return upperCopy(unc);
}

}  // namespace

Topology::Topology(const NetworkSpec& spec) {
  const std::string& file = spec.fileName;
  if (spec.present && spec.user.empty()) refuse(file, 0, "the logged-on user has no name");
  for (std::size_t i = 0; i < spec.drives.size(); ++i) {
    if (spec.drives[i] != kNoDrive && (spec.drives[i] < 0 || spec.drives[i] > 5)) {
      refuse(file, 0,
             std::string("drive ") + static_cast<char>('A' + i) + " has a type not 0 to 5");
    }
  }
  std::unordered_map<std::string, int> providerLines;
  std::unordered_map<std::string, int> workgroupLines;
  std::unordered_map<std::string, int> serverLines;
  for (const ProviderSpec& p : spec.providers) {
    checkName(file, p.line, "provider", p.name, "\\", "a backslash");
    checkUnique(providerLines, file, p.line, "provider", p.name);
    const NodeId pid = add(NodeKind::Provider, p.name, p.comment, kNoNode, false);
    nodes_[pid].enumError = p.enumError;
    nodes_[pid].provider = pid;
    providers_.push_back(pid);
    providerByName_.emplace(upperCopy(p.name), pid);
    for (const WorkgroupSpec& w : p.workgroups) {
      checkName(file, w.line, "workgroup", w.name, "\\/", "a backslash or a slash");
      checkUnique(workgroupLines, file, w.line, "workgroup", w.name);
      const NodeId wid = add(NodeKind::Workgroup, w.name, w.comment, pid, true);
      nodes_[wid].enumError = w.enumError;
      workgroupByName_.emplace(upperCopy(w.name), wid);
      for (const ServerSpec& s : w.servers) {
        checkName(file, s.line, "server", s.name, "\\/ ", "a backslash, a slash or a space");
        checkUnique(serverLines, file, s.line, "server", s.name);
        const NodeId sid = add(NodeKind::Server, "\\\\" + s.name, s.comment, wid, true);
        nodes_[sid].enumError = s.enumError;
        nodes_[sid].reachable = s.reachable;
        for (const ShareSpec& h : s.shares) addShare(h, sid, file);
      }
    }
  }
}

void Topology::addShare(const ShareSpec& spec, NodeId server, const std::string& file) {
  const std::string of = " of server \"" + nodes_[server].remote.substr(2) + "\"";
  checkName(file, spec.line, "share", spec.name, "\\/", "a backslash or a slash", of);
  const std::string remote = nodes_[server].remote + "\\" + spec.name;
  if (byPath_.count(upperCopy(remote)) != 0) {
    refuse(file, spec.line, "share \"" + spec.name + "\"" + of + " is described twice");
  }
  const bool hidden = spec.name.back() == '$';  // administrative shares are not listed
  const NodeId id = add(NodeKind::Share, remote, spec.comment, server, !hidden);
  nodes_[id].enumError = spec.enumError;
  nodes_[id].openFiles = spec.openFiles;
  Access& a = access_[id];
  a.guest = spec.guest;
  for (const auto& [user, password] : spec.users) {
    if (user.empty())
      refuse(file, spec.line, "share \"" + spec.name + "\" has a user with no name");
    a.passwords[lower(user)] = password;
  }
  addFolders(spec, id, file);
}

void Topology::addFolders(const ShareSpec& spec, NodeId share, const std::string& file) {
  for (const std::string& path : spec.folders) {
    NodeId at = share;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find_first_of("/\\", start);
      if (end == std::string::npos) end = path.size();
      const std::string part = path.substr(start, end - start);
      if (part.empty()) {
        refuse(file, spec.line, "share \"" + spec.name + "\" has a bad folder \"" + path + "\"");
      }
      const std::string remote = nodes_[at].remote + "\\" + part;
      auto found = byPath_.find(upperCopy(remote));
      if (found != byPath_.end()) {
        at = found->second;
      } else {
        at = add(NodeKind::Folder, remote, "", at, true);
      }
      start = end + 1;
    }
  }
}

// A node below `parent` that inherits its provider, server and share; a
// server or share is its own server or share.
NodeId Topology::add(NodeKind kind, std::string remote, std::string comment, NodeId parent,
                     bool listed) {
  const auto id = static_cast<NodeId>(nodes_.size());
  Node n;
  n.kind = kind;
  n.remote = std::move(remote);
  n.comment = std::move(comment);
  if (parent != kNoNode) {
    const Node& p = nodes_[parent];
    n.provider = p.provider;
    n.server = kind == NodeKind::Server ? id : p.server;
    n.share = kind == NodeKind::Share ? id : p.share;
    if (listed) nodes_[parent].children.push_back(id);
  }
  if (kind >= NodeKind::Server) byPath_.emplace(upperCopy(n.remote), id);
  nodes_.push_back(std::move(n));
  return id;
}

NodeId Topology::findPath(std::string_view unc) const {
  auto it = byPath_.find(pathKey(unc));
  return it == byPath_.end() ? kNoNode : it->second;
}

NodeId Topology::findServer(std::string_view unc) const {
  if (pathKey(unc).empty()) return kNoNode;
  return findPath(unc.substr(0, unc.find('\\', 2)));
}

NodeId Topology::findProvider(std::string_view name) const {
  auto it = providerByName_.find(upperCopy(name));
  return it == providerByName_.end() ? kNoNode : it->second;
}

NodeId Topology::findWorkgroup(std::string_view name) const {
  auto it = workgroupByName_.find(upperCopy(name));
  return it == workgroupByName_.end() ? kNoNode : it->second;
}

bool Topology::isContainer(NodeId id) const {
  const Node& n = nodes_[id];
  return n.kind <= NodeKind::Server || !n.children.empty();
}

platform::NetResource Topology::record(NodeId id) const {
  using namespace quilbert::platform;
  const Node& n = nodes_[id];
  NetResource r;
  r.scope = kScopeGlobalNet;
  r.remoteName = n.remote;
  if (!n.comment.empty()) r.comment = n.comment;
  r.provider = nodes_[n.provider].remote;
  // Display types by kind: provider, workgroup, server, share, folder.
  static constexpr std::array<std::uint32_t, 5> kDisplay = {
      kDisplayNetwork, kDisplayDomain, kDisplayServer, kDisplayShare, kDisplayDirectory};
  r.displayType = kDisplay[static_cast<std::size_t>(n.kind)];
  r.type = type(id);
  r.usage = usage(id);
  return r;
}

std::uint32_t Topology::type(NodeId id) const {
  return nodes_[id].kind <= NodeKind::Server ? platform::kTypeAny : platform::kTypeDisk;
}

std::uint32_t Topology::usage(NodeId id) const {
  const Node& n = nodes_[id];
  if (n.kind <= NodeKind::Server) return platform::kUsageContainer;
  return platform::kUsageConnectable | (n.children.empty() ? 0U : platform::kUsageContainer);
}

}  // namespace quilbert::sim
