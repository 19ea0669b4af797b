// The simulated network: the embedded default network service on Linux. A
// described network (servers, shares, accounts, local drives; see
// docs/sim-network.md) answering the Windows networking calls with the codes
// Windows gives, with the connections of the logon session kept in a state file
// so that they outlive the process, and fault switches for tests.
//
//   auto net = sim::SimNetwork::open("demo/network.toml");  // state: demo/network.state
//   sim::SimNetwork big(sim::generatedNetwork(10, 100, 100));  // connections in memory
//
// Not thread-safe: one instance per thread. Several processes may share the
// same files.
#pragma once

#include <array>
#include <filesystem>
#include <memory>

#include "platform/drives.h"
#include "platform/network.h"
#include "platform/network_events.h"
#include "platform/opened_network.h"
#include "platform/sim/description.h"
#include "platform/sim/state_file.h"
#include "platform/sim/topology.h"

namespace quilbert::sim {

// The calls a fault switch can make fail.
enum class Call {
  AddConnection,
  CancelConnection,
  GetUser,
  GetConnection,
  OpenEnum,
  EnumResource,
  CloseEnum,
  GetDrive,
};
inline constexpr int kCallKinds = 8;
// failNext's count for a fault that never wears off.
inline constexpr int kAlways = -1;

class SimNetwork final : public platform::Network,
                         public platform::Drives,
                         public platform::NetworkEvents {
 public:
  // Reads the description file; connections are kept beside it, in the same
  // name with the extension ".state" ("network.toml" -> "network.state").
  // Throws DescriptionError ("network.toml:12: ...") for a faulty description.
  static std::unique_ptr<SimNetwork> open(const std::filesystem::path& networkFile);

  // A network built from a description in memory; connections are kept in
  // `statePath`, or in memory when it is empty. Throws DescriptionError.
  explicit SimNetwork(const NetworkSpec& spec, std::filesystem::path statePath = {});

  // platform::Network. Connection rules, in the order they are checked:
  // 1200 local name not "X:"; 1222 no network; 85 letter is a local drive or
  // connected; 67 remote name not "\\server\share..."; 53 unknown server;
  // 1231 unreachable server; 1219 the server already has a connection made as
  // another user; 67 unknown share or folder; then the account: a user the
  // share knows needs its password (86), one it does not know connects as a
  // guest where guests are allowed and is refused (1326) elsewhere. An empty
  // user name means the logged-on user; with an empty password as well, her
  // logon credentials are used and accepted. 5 when the state file cannot be
  // written. Flags are ignored.
  int addConnection(const platform::NetResource& resource, const std::string& password,
                    const std::string& userName, std::uint32_t flags) override;
  // 2250 for a letter with no connection (a local drive too) or no network;
  // 2401 when the share has open files and force is false.
  int cancelConnection(const std::string& name, std::uint32_t flags, bool force) override;
  // With an empty local name, the logged-on user; with "X:" or a connected
  // remote name, the user of that connection (2250 when none). 1222 without a
  // network. On 234 only `length` changes (to the size needed, NUL included).
  int getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) override;
  // 1200 for a bad local name, 1222 without a network, 2250 when not connected.
  int getConnection(const std::string& localName, std::string& remoteName) override;
  // Scope 2 (global net) with a container or null (the providers); scope 1
  // (connected) and 3 (remembered: none) with null. Type 0, 1 (disk) or 2
  // (print: no share qualifies); usage 0 or a mask of 1 and 2. Answers 1222
  // without a network, 87 for a bad argument, 1204/53/67 for an unknown
  // provider/workgroup or server/share, the container's described failure, 1231
  // for an unreachable server (or a share on one), 1207 for no container.
  int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
               const platform::NetResource* container, platform::EnumHandle& handle) override;
  // 234 with a batch (count > 0) when more entries remain, 0 with the last
  // batch, 259 when nothing is left, 234 with count 0 and `bufferSize` set to
  // the need when the next record alone does not fit; 87 for a count of 0 or
  // below -1; 6 for an unknown handle.
  int enumResource(platform::EnumHandle handle, std::int32_t& count,
                   std::vector<platform::NetResource>& out, std::uint32_t& bufferSize) override;
  int closeEnum(platform::EnumHandle handle) override;

  // platform::Drives: a local drive with its type, a connected letter as type 3
  // with its remote name, nullopt for a free letter (or one not A-Z).
  std::optional<platform::DriveInfo> getDrive(char letter) override;

  // Fault switches. The next `times` calls of `call` (kAlways: every call)
  // fail with `code` and change nothing; getDrive answers nullopt, the other
  // calls return `code` with their out-parameters untouched. A later switch on
  // the same call replaces the earlier one.
  void failNext(Call call, int code, int times = 1);
  void clearFaults();
  // How many times each call was made, failed ones included.
  int callCount(Call call) const { return calls_[static_cast<int>(call)]; }

  // Changes to the network while it runs (a server going down, files being
  // closed); false when no such server or share exists. A server coming or
  // going and the network coming or going are told to the listener, unless
  // `told` is false: a server switched on elsewhere changes nothing here.
  bool setReachable(std::string_view server, bool reachable, bool told = true);
  bool setOpenFiles(std::string_view share, int openFiles);  // share as "\\SERVER\share"
  void setNetworkPresent(bool present);
  // Calls that carry only characters up to `highest` (U+00FF: Latin-1, as the
  // ANSI calls of a Western Windows), answering 1113 for others; the default
  // carries any.
  void setHighestCarried(char32_t highest) { highestCarried_ = highest; }

  // platform::NetworkEvents: the changes above, as they are made.
  [[nodiscard]] std::string uncarried(std::string_view text) const override;

  const std::filesystem::path& statePath() const { return state_.path(); }
  const std::string& logonUser() const { return user_; }

 private:
  struct Fault {
    int code = 0;
    int remaining = 0;  // kAlways: never wears off
  };
  struct Cursor {
    std::uint32_t typeFilter = 0;
    std::uint32_t usageMask = 0;
    const std::vector<NodeId>* nodes = nullptr;  // global net: the container's children
    std::vector<platform::NetResource> records;  // otherwise: a snapshot
    std::size_t next = 0;
  };

  bool faulted(Call call, int& code);
  int connect(const Connections& connections, const platform::NetResource& resource,
              const std::string& password, const std::string& userName) const;
  int checkAccount(NodeId share, const std::string& password, const std::string& userName) const;
  int openContainer(const platform::NetResource& container, NodeId& out) const;
  bool wanted(const Cursor& c, std::size_t index) const;
  platform::NetResource recordAt(const Cursor& c, std::size_t index) const;
  std::size_t entries(const Cursor& c) const;
  std::string effectiveUser(const std::string& user) const;

  Topology net_;
  std::string user_;
  bool present_;
  char32_t highestCarried_ = 0x10FFFF;
  std::array<int, 26> drives_;
  StateFile state_;
  std::array<Fault, kCallKinds> faults_{};
  std::array<int, kCallKinds> calls_{};
  platform::OpenEnums<Cursor> enums_;
};

// SimNetwork::open(networkFile) as a program's network: its drives and its
// changes are the network's own.
platform::OpenedNetwork openSimulatedNetwork(const std::filesystem::path& networkFile);

}  // namespace quilbert::sim
