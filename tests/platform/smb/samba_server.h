// A real Samba server on loopback for the SMB network's tests, with a session
// bus and gvfs of its own, all in a temporary folder and, where the system
// allows it, in a network namespace of the test's own (which also gives the
// unreachable addresses).
//
// Shares: "public" (guests, writable), "docs" (user alice, password
// "secret1", holds the folder deep/a). Workgroup TESTGROUP, port kPort.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quilbert::smb::testing {

inline constexpr int kPort = 4445;
inline constexpr char kServer[] = "127.0.0.1";
inline constexpr char kAlicePassword[] = "secret1";
// In the namespace: nothing listens at kRefusing; kBlackholed has a blackhole
// route; kDropping's packets are dropped; kSilent accepts and never answers.
inline constexpr char kRefusing[] = "127.0.0.2";
inline constexpr char kSilent[] = "127.0.0.3";
inline constexpr char kDropping[] = "127.0.0.4";
inline constexpr char kBlackholed[] = "10.66.0.1";
inline constexpr char kAnnouncedHost[] = "quilbert-test.local";
// In the namespace, the name server of the tests: it never answers for
// kQuietName, fails for kFailingName (a temporary failure), and knows no other
// name.
inline constexpr char kQuietName[] = "quiet.test";
inline constexpr char kFailingName[] = "failing.test";
// In the namespace: a computer announcing itself by WS-Discovery
// (tests/support/wsdd_peer.sh); SMB connections to its address lead to this
// server.
inline constexpr char kPeerAddress[] = "10.231.0.2";
inline constexpr char kPeerName[] = "WSDPEER";

class SambaServer {
 public:
  // Enters a fresh network namespace when it can; call before anything else.
  static bool enterNamespace();
  static bool inNamespace();

  // `extraShares` more guest shares "s01", "s02", ... (for the figures).
  void start(int extraShares = 0);
  // In the namespace: an Avahi daemon on a system bus of its own (the test's
  // DBUS_SYSTEM_BUS_ADDRESS) announcing "_smb._tcp" from host kAnnouncedHost.
  void startAnnouncer();
  // In the namespace: the WS-Discovery peer, ready to answer.
  void startDiscoveryPeer();
  void stop();
  bool running() const { return smbd_ > 0; }
  const std::string& failure() const { return failure_; }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path shareFolder(const std::string& share) const { return root_ / share; }
  std::filesystem::path drivesFolder() const { return root_ / "drives"; }
  std::filesystem::path runtimeFolder() const { return root_ / "xdg"; }
  // The FUSE mounts gvfs holds now (empty when every share is unmounted).
  std::vector<std::string> mounts() const;

 private:
  pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              const std::filesystem::path& out);
  void endOurs();
  void startNameServer();

  std::filesystem::path root_;
  std::string failure_;
  std::string marker_;
  pid_t smbd_ = -1;
  pid_t bus_ = -1;
  int silentListener_ = -1;
  int nameServer_ = -1;
};

SambaServer& server();

// What the server holds in a file of its shares, waiting up to two seconds
// for it to become `expected`: gvfs sends what a program wrote through FUSE
// a moment after the file is closed.
std::string serverFile(const std::filesystem::path& file, const std::string& expected);

}  // namespace quilbert::smb::testing
