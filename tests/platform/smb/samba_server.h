// A real Samba server on loopback for the SMB network's tests, with a session
// bus and gvfs of its own, all in a temporary folder and, where the system
// allows it, in a network namespace of the test's own (which also gives the
// unreachable addresses).
//
// Its bus also runs the desktop's keyring (a real Secret Service).
//
// Shares: "public" (guests, writable), "docs" (user alice, password
// "secret1", holds the folder deep/a). Workgroup TESTGROUP, port kPort.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quilbert::smb::testing {

inline constexpr int kPort = 4445;
inline constexpr char kServer[] = "127.0.0.1";
inline constexpr char kAlicePassword[] = "secret1";
// The desktop keyring's (its "login" collection, unlocked at the start).
inline constexpr char kKeyringPassword[] = "logon-pw";
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
// Also: kDualName has the silent IPv6 address kSilentV6 first, then kServer;
// kLmhostsName is known only to the SMB client's lmhosts file (as kServer).
inline constexpr char kDualName[] = "dual.test";
inline constexpr char kSilentV6[] = "2001:db8::4";
inline constexpr char kLmhostsName[] = "lmonly";
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
  // The keyring's collection locked, as before a log-on, and unlocked again.
  static void lockKeyring();
  static bool unlockKeyring();
  bool running() const { return smbd_ > 0; }
  const std::string& failure() const { return failure_; }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path shareFolder(const std::string& share) const { return root_ / share; }
  std::filesystem::path drivesFolder() const { return root_ / "drives"; }
  std::filesystem::path runtimeFolder() const { return root_ / "xdg"; }
  // The FUSE mounts gvfs holds now (empty when every share is unmounted).
  std::vector<std::string> mounts() const;
  // The failed logins the server's audit has logged so far.
  std::size_t failedLogins() const;

 private:
  pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              const std::filesystem::path& out);
  void endOurs();
  void startNameServer();
  void startKeyring();

  std::filesystem::path root_;
  std::string failure_;
  std::string marker_;
  pid_t smbd_ = -1;
  pid_t bus_ = -1;
  int silentListener_ = -1;
  int nameServer_ = -1;
};

SambaServer& server();

// The processes whose environment holds `marker` or whose command line names
// `folder`, this one aside.
std::vector<pid_t> processesMarked(const std::string& marker, const std::string& folder);

// A Samba domain controller (realm QUIL.TEST, host kDcHost at kDcAddress, SMB
// on kPort) in the tests' namespaces; user alice holds the share "team", which
// admits no guest. Its Kerberos settings and ticket cache (KRB5_CONFIG,
// KRB5CCNAME) are the test process's, set before the session bus starts so
// that gvfs has them too.
inline constexpr char kDcAddress[] = "127.0.0.10";
inline constexpr char kDcHost[] = "dc1.quil.test";

class DomainController {
 public:
  // Provisions the domain and starts it, without waiting for it.
  void start(const std::filesystem::path& root);
  // Waits (up to 150 s: the provision is slow on a busy machine) until it answers.
  bool ready();
  void stop();
  [[nodiscard]] const std::string& failure() const { return failure_; }
  // Alice's ticket in the cache, or none.
  bool logOn();
  static void logOff() { std::system("kdestroy -q 2>/dev/null"); }

 private:
  std::filesystem::path root_;
  std::string failure_;
  bool started_ = false;
};

DomainController& domainController();

// What the server holds in a file of its shares, waiting up to two seconds
// for it to become `expected`: gvfs sends what a program wrote through FUSE
// a moment after the file is closed.
std::string serverFile(const std::filesystem::path& file, const std::string& expected);

}  // namespace quilbert::smb::testing
