#include "samba_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace quilbert::smb::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool namespaced = false;

void write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool accepting(const char* address, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  ::inet_pton(AF_INET, address, &a.sin_addr);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

// The processes whose environment holds `marker`: ours, and what the bus and
// smbd started on their own (gvfs daemons, samba-dcerpcd), which the system
// adopts once they detach.
std::vector<pid_t> processesMarked(const std::string& marker, const std::string& folder) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.empty() || name[0] < '0' || name[0] > '9') continue;
    const pid_t pid = std::stoi(name);
    if (pid == ::getpid()) continue;
    // samba-dcerpcd gets a fresh environment, but its command line names our configuration.
    const std::string env = readAll(entry.path() / "environ");
    const std::string command = readAll(entry.path() / "cmdline");
    if (env.find(marker) != std::string::npos || command.find(folder) != std::string::npos) {
      found.push_back(pid);
    }
  }
  return found;
}

std::string serverFile(const fs::path& file, const std::string& expected) {
  std::string text;
  for (int i = 0; i < 100; ++i) {
    text = readAll(file);
    if (text == expected) break;
    std::this_thread::sleep_for(20ms);
  }
  return text;
}

SambaServer& server() {
  static SambaServer s;
  return s;
}

bool SambaServer::enterNamespace() {
  // A mount namespace too, for the name server's resolv.conf (as "ip netns
  // exec" mounts /etc/netns/NAME/resolv.conf).
  if (::geteuid() != 0 || ::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return false;
  }
  // Our own loopback, a route into nowhere and an address whose packets vanish.
  namespaced = std::system("ip link set lo up") == 0 &&
               std::system("ip route add blackhole 10.66.0.1/32") == 0 &&
               std::system(
                   "nft -f - <<'EOF'\n"
                   "table ip quilbert_test {\n"
                   "  chain out { type filter hook output priority 0; ip daddr 127.0.0.4 drop; }\n"
                   "}\nEOF") == 0;
  // And an IPv6 address whose packets vanish.
  namespaced = namespaced && std::system(
                                 "ip -6 addr add 2001:db8::1/64 dev lo nodad && nft add "
                                 "table ip6 q6 && nft add chain ip6 q6 out '{ type filter "
                                 "hook output priority 0; }' && nft add rule ip6 q6 out "
                                 "ip6 daddr 2001:db8::4 drop") == 0;
  return namespaced;
}

bool SambaServer::inNamespace() {
  return namespaced;
}

pid_t SambaServer::spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const fs::path& out) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e != nullptr; ++e) envText.emplace_back(*e);
  envText.insert(envText.end(), env.begin(), env.end());
  envText.push_back(marker_);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // A group of its own: smbd ends its whole process group when it stops.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data()) != 0) pid = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void SambaServer::start(int extraShares) {
  std::string pattern = (fs::temp_directory_path() / "quilbert-smb-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  // smbd serves the shares as "nobody" and alice: every parent must be traversable.
  fs::permissions(root_, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
  marker_ = "QUILBERT_SMB_TEST=" + root_.string();
  for (const char* d : {"run", "lock", "state", "cache", "private", "ncalrpc", "log", "public",
                        "docs/deep/a", "xdg"}) {
    fs::create_directories(root_ / d);
  }
  fs::permissions(root_ / "xdg", fs::perms::owner_all);
  for (const char* d : {"public", "docs", "docs/deep", "docs/deep/a"}) {
    fs::permissions(root_ / d, fs::perms::all);
  }
  const std::string r = root_.string();
  write(root_ / "passwd",
        "root:x:0:0:root:/root:/bin/sh\nalice:x:1500:1500:Alice:/tmp:/bin/false\n"
        "nobody:x:65534:65534:nobody:/nonexistent:/bin/false\n");
  write(root_ / "group", "root:x:0:\nalice:x:1500:\nnogroup:x:65534:\n");
  std::ostringstream conf;
  conf << "[global]\n  workgroup = TESTGROUP\n  netbios name = QTEST\n"
       << "  interfaces = 127.0.0.1\n  bind interfaces only = yes\n  smb ports = " << kPort << "\n";
  for (const char* d : {"pid directory", "lock directory", "state directory", "cache directory"}) {
    const std::string key = d;
    conf << "  " << key << " = " << r << "/" << key.substr(0, key.find(' ')) << "\n";
  }
  conf << "  private dir = " << r << "/private\n  ncalrpc dir = " << r << "/ncalrpc\n"
       << "  log file = " << r << "/log/log.%m\n  passdb backend = tdbsam:" << r
       << "/private/passdb.tdb\n  map to guest = Bad User\n  guest account = nobody\n"
       << "  load printers = no\n  disable spoolss = yes\n  server min protocol = SMB2\n"
       << "[public]\n  path = " << r << "/public\n  guest ok = yes\n  read only = no\n"
       << "  comment = Open to all\n"
       << "[docs]\n  path = " << r << "/docs\n  valid users = alice\n  read only = no\n"
       << "  comment = Alice's documents\n";
  for (int i = 1; i <= extraShares; ++i) {
    const std::string name = (i < 10 ? "s0" : "s") + std::to_string(i);
    fs::create_directories(root_ / name);
    fs::permissions(root_ / name, fs::perms::all);
    conf << "[" << name << "]\n  path = " << r << "/" << name << "\n  guest ok = yes\n"
         << "  read only = no\n";
  }
  write(root_ / "smb.conf", conf.str());
  const std::vector<std::string> nss = {"LD_PRELOAD=libnss_wrapper.so",
                                        "NSS_WRAPPER_PASSWD=" + r + "/passwd",
                                        "NSS_WRAPPER_GROUP=" + r + "/group"};
  write(root_ / "secret", std::string(kAlicePassword) + "\n" + kAlicePassword + "\n");
  const std::string add = "LD_PRELOAD=libnss_wrapper.so NSS_WRAPPER_PASSWD=" + r +
                          "/passwd NSS_WRAPPER_GROUP=" + r + "/group smbpasswd -c " + r +
                          "/smb.conf -s -a alice < " + r + "/secret > " + r + "/log/smbpasswd 2>&1";
  if (std::system(add.c_str()) != 0) {
    failure_ = "smbpasswd failed: " + readAll(root_ / "log/smbpasswd");
    return;
  }
  fs::remove(root_ / "secret");
  // Refused logins are logged (auth_audit), so that tests can count them.
  smbd_ = spawn({"smbd", "--foreground", "--no-process-group", "--debug-stdout",
                 "--debuglevel=1 auth_audit:3", "--configfile=" + r + "/smb.conf"},
                nss, root_ / "log/smbd.out");
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (smbd_ > 0 && !accepting(kServer, kPort) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  if (smbd_ <= 0 || !accepting(kServer, kPort)) {
    failure_ = "smbd did not start: " + readAll(root_ / "log/smbd.out");
    return;
  }

  // The session bus, and through it gvfs, with the FUSE folder in our runtime folder.
  const std::string address = "unix:path=" + r + "/bus";
  bus_ = spawn({"dbus-daemon", "--session", "--nofork", "--address=" + address},
               {"XDG_RUNTIME_DIR=" + r + "/xdg", "GVFS_REMOTE_VOLUME_MONITOR_IGNORE=1"},
               root_ / "log/bus.out");
  while (bus_ > 0 && !fs::exists(root_ / "bus") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (r + "/xdg").c_str(), 1);
  ::setenv("GVFS_REMOTE_VOLUME_MONITOR_IGNORE", "1", 1);
  startKeyring();

  if (namespaced) {
    // Accepts connections (the kernel does, from its backlog) and never answers.
    silentListener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(kPort);
    ::inet_pton(AF_INET, kSilent, &a.sin_addr);
    if (::bind(silentListener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(silentListener_, 16) != 0) {
      failure_ = "cannot listen at the silent address";
    }
    startNameServer();
    // The SMB client's own lmhosts file, in a folder of ours for this
    // namespace; its configuration there is the defaults.
    if (::mount("none", "/etc/samba", "tmpfs", 0, nullptr) != 0) {
      failure_ = "cannot give the SMB client an lmhosts file";
    }
    write("/etc/samba/lmhosts", std::string(kServer) + " " + kLmhostsName + "\n");
  }
}

namespace {

// Answers the queries sent to 127.0.0.1:53 by the first label of their name.
void answerNames(int fd) {
  unsigned char packet[512];
  sockaddr_in from{};
  socklen_t size = sizeof from;
  for (;;) {
    const ssize_t n =
        ::recvfrom(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (n <= 0) return;  // shut down
    if (n < 13) continue;
    const std::string first(reinterpret_cast<char*>(packet) + 13,
                            std::min<std::size_t>(packet[12], static_cast<std::size_t>(n) - 13));
    if (std::string(kQuietName).rfind(first + ".", 0) == 0) continue;  // swallowed
    const bool failing = std::string(kFailingName).rfind(first + ".", 0) == 0;
    packet[2] |= 0x80;                                                 // a response
    packet[3] = static_cast<unsigned char>(0x80 | (failing ? 2 : 3));  // SERVFAIL, NXDOMAIN
    std::size_t length = static_cast<std::size_t>(n);
    if (std::string(kDualName).rfind(first + ".", 0) == 0 && length + 28 <= sizeof packet) {
      // One record of the type asked: A kServer, AAAA kSilentV6.
      const bool v6 = packet[length - 3] == 28;
      const unsigned char head[] = {0xC0, 12, 0, static_cast<unsigned char>(v6 ? 28 : 1),
                                    0,    1,  0, 0,
                                    0,    60, 0, static_cast<unsigned char>(v6 ? 16 : 4)};
      std::copy(std::begin(head), std::end(head), packet + length);
      length += sizeof head;
      length +=
          static_cast<std::size_t>(v6 ? (::inet_pton(AF_INET6, kSilentV6, packet + length), 16)
                                      : (::inet_pton(AF_INET, kServer, packet + length), 4));
      packet[3] = 0x80;  // no error
      packet[7] = 1;     // one answer
    }
    ::sendto(fd, packet, length, 0, reinterpret_cast<sockaddr*>(&from), size);
  }
}

}  // namespace

void SambaServer::startNameServer() {
  nameServer_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(53);
  ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
  write(root_ / "resolv.conf", "nameserver 127.0.0.1\noptions timeout:5 attempts:2\n");
  if (::bind(nameServer_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::mount((root_ / "resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) !=
          0) {
    failure_ = "cannot start the name server";
    return;
  }
  std::thread(answerNames, nameServer_).detach();
}

void SambaServer::startAnnouncer() {
  if (!namespaced || !running()) return;
  const std::string r = root_.string();
  fs::create_directories(root_ / "avahi/services");
  write(root_ / "avahi/bus.conf",
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
        "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>system</type><listen>unix:path=" +
            r +
            "/avahi/bus</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
            "<allow receive_sender=\"*\"/></policy></busconfig>\n");
  write(root_ / "avahi/avahi.conf",
        "[server]\nhost-name=quilbert-test\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=lo\n"
        "enable-dbus=yes\n[publish]\npublish-workstation=no\n");
  write(root_ / "avahi/services/smb.service",
        "<?xml version=\"1.0\" standalone='no'?>\n<service-group><name>Test files</name>"
        "<service><type>_smb._tcp</type><port>4445</port></service></service-group>\n");
  // mDNS needs a multicast interface; ours is the namespace's loopback.
  if (std::system("ip link set lo multicast on") != 0) {
    failure_ = "cannot turn multicast on";
    return;
  }
  spawn({"dbus-daemon", "--config-file=" + r + "/avahi/bus.conf", "--nofork"}, {},
        root_ / "log/avahi-bus.out");
  const std::string address = "unix:path=" + r + "/avahi/bus";
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!fs::exists(root_ / "avahi/bus") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  // The daemon's fixed run-time folder and services folder, private to it.
  spawn({"unshare", "--mount", "--propagation", "private", "sh", "-c",
         "mount -t tmpfs none /run && mkdir -p /run/avahi-daemon && mount --bind " + r +
             "/avahi/services /etc/avahi/services && exec avahi-daemon -f " + r +
             "/avahi/avahi.conf --no-drop-root --no-chroot --no-rlimits"},
        {"DBUS_SYSTEM_BUS_ADDRESS=" + address}, root_ / "log/avahi.out");
  while (readAll(root_ / "log/avahi.out").find("successfully established") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
}

void SambaServer::startDiscoveryPeer() {
  if (!namespaced || !running()) return;
  const fs::path log = root_ / "log/wsdd.out";
  spawn({std::string(QUILBERT_SOURCE_DIR) + "/tests/support/wsdd_peer.sh", log.string(), "sleep",
         "infinity"},
        {}, root_ / "log/wsdd-peer.out");
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (readAll(log).find("scheduling Hello") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  // SMB connections to the peer's address lead to this server.
  const std::string rule =
      "nft -f - <<'EOF'\ntable ip quilbert_wsd {\n  chain out { type nat hook "
      "output priority -100; ip daddr " +
      std::string(kPeerAddress) + " tcp dport " + std::to_string(kPort) + " dnat to " + kServer +
      "; }\n}\nEOF";
  if (std::system(rule.c_str()) != 0) failure_ = "cannot lead the peer's SMB to the server";
}

std::size_t SambaServer::failedLogins() const {
  const std::string text = readAll(root_ / "log/smbd.out");
  const std::string refused = "status [NT_STATUS_WRONG_PASSWORD]";
  std::size_t n = 0;
  for (auto at = text.find(refused); at != std::string::npos; at = text.find(refused, at + 1)) ++n;
  return n;
}

std::vector<std::string> SambaServer::mounts() const {
  std::vector<std::string> found;
  std::istringstream lines(readAll("/proc/mounts"));
  for (std::string line; std::getline(lines, line);) {
    if (line.find(root_.string()) != std::string::npos) found.push_back(line);
  }
  return found;
}

// The desktop's keyring on the test's bus, unlocked, its files in our folder:
// started by the bus, it would take the user's own.
void SambaServer::startKeyring() {
  const fs::path home = root_ / "home";
  fs::create_directories(home / ".local/share");
  spawn({"sh", "-c",
         "printf %s \"$KEYRING_PW\" | exec gnome-keyring-daemon --unlock --foreground "
         "--components=secrets"},
        {"HOME=" + home.string(), "XDG_DATA_HOME=" + (home / ".local/share").string(),
         std::string("KEYRING_PW=") + kKeyringPassword},
        root_ / "log/keyring.out");
  if (std::system("gdbus wait --session --timeout 10 org.freedesktop.secrets") != 0) {
    failure_ = "the keyring did not start: " + readAll(root_ / "log/keyring.out");
  }
}

void SambaServer::lockKeyring() {
  std::system(
      "gdbus call --session --dest org.freedesktop.secrets --object-path "
      "/org/freedesktop/secrets --method org.freedesktop.Secret.Service.Lock "
      "\"['/org/freedesktop/secrets/collection/login']\" >/dev/null");
}

// As a log-on unlocks it: with the keyring's password, on one connection (the
// password travels in a session of the caller's), raising no prompt.
bool SambaServer::unlockKeyring() {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return false;
  auto call = [bus](const char* interface, const char* method, GVariant* args) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.secrets", "/org/freedesktop/secrets",
                                       interface, method, args, nullptr, G_DBUS_CALL_FLAGS_NONE,
                                       5000, nullptr, nullptr);
  };
  GVariant* opened = call("org.freedesktop.Secret.Service", "OpenSession",
                          g_variant_new("(sv)", "plain", g_variant_new_string("")));
  GVariant* unlocked = nullptr;
  if (opened != nullptr) {
    GVariant* output = nullptr;
    const char* session = nullptr;
    g_variant_get(opened, "(v&o)", &output, &session);
    const std::string pw = kKeyringPassword;
    GVariant* secret = g_variant_new(
        "(o@ay@ays)", session, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, "", 0, 1),
        g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pw.data(), pw.size(), 1), "text/plain");
    unlocked = call(
        "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface", "UnlockWithMasterPassword",
        g_variant_new("(o@(oayays))", "/org/freedesktop/secrets/collection/login", secret));
    g_variant_unref(output);
    g_variant_unref(opened);
  }
  if (unlocked != nullptr) g_variant_unref(unlocked);
  g_object_unref(bus);
  return unlocked != nullptr;
}

void SambaServer::endOurs() {
  // Scan again after each round: smbd starts samba-dcerpcd on demand, and a
  // signal that arrives while a daemon starts can be lost.
  for (int round = 0; round < 20; ++round) {
    std::vector<pid_t> pids;
    for (pid_t pid : processesMarked(marker_, root_.string() + "/")) {
      const std::string state = readAll("/proc/" + std::to_string(pid) + "/stat");
      // A zombie whose parent is not us is as good as gone.
      if (!state.empty() && state.find(") Z") == std::string::npos) pids.push_back(pid);
    }
    if (pids.empty()) return;
    for (pid_t pid : pids) ::kill(pid, round < 10 ? SIGTERM : SIGKILL);
    for (int wait = 0; wait < 10; ++wait) {
      while (::waitpid(-1, nullptr, WNOHANG) > 0) {
      }
      std::this_thread::sleep_for(20ms);
    }
  }
}

void SambaServer::stop() {
  if (root_.empty()) return;
  if (silentListener_ >= 0) ::close(silentListener_);
  if (nameServer_ >= 0) ::shutdown(nameServer_, SHUT_RDWR);
  endOurs();
  // gvfsd-fuse unmounts when it ends; a mount left by a killed one goes here.
  for (const std::string& line : mounts()) {
    std::istringstream fields(line);
    std::string device;
    std::string point;
    fields >> device >> point;
    ::umount2(point.c_str(), MNT_DETACH);
  }
  smbd_ = -1;
  bus_ = -1;
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

}  // namespace quilbert::smb::testing
