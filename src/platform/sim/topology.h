// The network of a description, built once into a flat tree of nodes with an
// index by UNC path, so that lookups are hashed and enumeration walks a child
// list. Names are checked here (empty, forbidden characters, duplicates).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/network.h"
#include "platform/sim/description.h"

namespace quilbert::sim {

enum class NodeKind : std::uint8_t { Provider, Workgroup, Server, Share, Folder };

using NodeId = std::uint32_t;
inline constexpr NodeId kNoNode = 0xFFFFFFFFU;

struct Node {
  NodeKind kind = NodeKind::Provider;
  bool reachable = true;  // servers
  int enumError = 0;
  int openFiles = 0;        // shares
  NodeId provider = 0;      // the provider above (itself for a provider)
  NodeId server = kNoNode;  // the server above a share or folder (itself for a server)
  NodeId share = kNoNode;   // the share of a share or folder
  std::string remote;       // the record's remote name: "Provider", "WG", "\\S", "\\S\sh\dir"
  std::string comment;
  std::vector<NodeId> children;  // what enumeration lists (hidden shares left out)
};

struct Access {
  bool guest = true;
  std::unordered_map<std::string, std::string> passwords;  // lower-case user -> password
};

class Topology {
 public:
  // Throws DescriptionError naming the file and line of the faulty element.
  explicit Topology(const NetworkSpec& spec);

  const Node& node(NodeId id) const { return nodes_[id]; }
  Node& node(NodeId id) { return nodes_[id]; }
  const std::vector<NodeId>& providers() const { return providers_; }
  const Access& access(NodeId share) const { return access_.at(share); }

  // The node of a UNC path "\\server[\share[\folder...]]" in any case; a final
  // backslash is allowed. kNoNode when there is none.
  NodeId findPath(std::string_view unc) const;
  // The server of a UNC path (its first component), kNoNode when unknown.
  NodeId findServer(std::string_view unc) const;
  NodeId findProvider(std::string_view name) const;
  NodeId findWorkgroup(std::string_view name) const;

  // The record enumeration returns for a node (scope global net).
  platform::NetResource record(NodeId id) const;
  bool isContainer(NodeId id) const;
  // The record's type (0 any for containers, 1 disk) and usage (1, 2 or 3).
  std::uint32_t type(NodeId id) const;
  std::uint32_t usage(NodeId id) const;

 private:
  NodeId add(NodeKind kind, std::string remote, std::string comment, NodeId parent, bool listed);
  void addShare(const ShareSpec& spec, NodeId server, const std::string& file);
  void addFolders(const ShareSpec& spec, NodeId share, const std::string& file);

  std::vector<Node> nodes_;
  std::vector<NodeId> providers_;
  std::unordered_map<std::string, NodeId> byPath_;           // upper-case UNC path
  std::unordered_map<std::string, NodeId> providerByName_;   // upper-case
  std::unordered_map<std::string, NodeId> workgroupByName_;  // upper-case
  std::unordered_map<NodeId, Access> access_;                // by share node
};

}  // namespace quilbert::sim
