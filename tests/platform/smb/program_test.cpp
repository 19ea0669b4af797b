// The built program on the real network: "quilbert /a" as a log-on script
// runs it, and the report of the network, against the test server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/catalogue.h"
#include "app/config.h"
#include "net/computer_finder.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/smb/smb_network.h"
#include "samba_server.h"
#include "support/shell_command.h"
#include "support/test_program.h"
#include "ui/report/report_window.h"

extern char** environ;

namespace quilbert::smb {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::server;

// The command that runs the program offscreen from a folder of its own, with
// the environment given before everything else, started by `launcher`.
std::string programCommand(const fs::path& exe, const fs::path& dir, const std::string& env,
                           const std::string& args, const std::string& launcher = "exec") {
  return "cd '" + dir.string() + "' && " + launcher + " env -u DISPLAY -u WAYLAND_DISPLAY" +
         " QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + (dir / "config").string() +
         "' QUILBERT_NETWORK=smb QUILBERT_DRIVES='" + server().drivesFolder().string() +
         "' QUILBERT_SMB_PORT=" + std::to_string(testing::kPort) + " " + env + " '" + exe.string() +
         "' " + args;
}

quilbert::testing::CommandRun runProgram(const fs::path& exe, const fs::path& dir,
                                         const std::string& env, const std::string& args) {
  return quilbert::testing::runShell(programCommand(exe, dir, env, args, "timeout 60"));
}

// Starts the program without waiting for it; its output goes to `out`.
pid_t startProgram(const std::string& command, const fs::path& out) {
  const std::string line = command + " > '" + out.string() + "' 2>&1";
  const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ);
  return pid;
}

// The program's exit code once it has ended (the test's time limit bounds it).
int waitForProgram(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Context switches of a process's main thread so far: its wake-ups.
long wakeUps(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  long total = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find("ctxt_switches:") != line.npos)
      total += std::stol(line.substr(line.find(':') + 1));
  }
  return total;
}

struct Letter {
  char letter;
  std::string path;
  std::string password = testing::kAlicePassword;
};

// The configuration of the logged-on user: the letters given, as alice.
void writeLetters(const fs::path& dir, const std::vector<Letter>& letters,
                  const std::string& resident = "nres") {
  std::string config;
  for (char c = 'A'; c <= 'Z'; ++c) {
    auto it = std::find_if(letters.begin(), letters.end(),
                           [&](const Letter& l) { return l.letter == c; });
    config += it == letters.end()
                  ? std::string("0\t") + c + "\t\t\t\r\n"
                  : std::string("1\t") + c + "\talice\t" + *app::ScramblePassword(it->password) +
                        "\t" + it->path + "\r\n";
  }
  config += "ide\r\nwindows\r\nlangage_gb.txt\r\n" + resident + "\r\n";
  const char* user = std::getenv("USER");
  quilbert::testing::writeFile(
      dir / "config" / "quilbert" / (std::string(user ? user : "root") + ".ini"), config);
}

// P and Q on the test server, R on an address where nothing listens.
void writeConfiguration(const fs::path& dir) {
  writeLetters(dir, {{'P', "\\\\127.0.0.1\\public"},
                     {'Q', "\\\\127.0.0.1\\docs\\deep\\a"},
                     {'R', std::string("\\\\") + testing::kRefusing + "\\public"}});
}

class ProgramOnSmb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server().running()) GTEST_SKIP() << server().failure();
    if (!fs::exists(exe_)) GTEST_SKIP() << "built without Qt";
    fs::remove_all(server().drivesFolder());
  }
  void TearDown() override {
    if (!server().running()) return;
    for (char c = 'A'; c <= 'Z'; ++c) net_.cancelConnection(std::string(1, c) + ":", 0, true);
  }
  SmbNetwork net_{[] {
    SmbOptions o;
    o.drivesFolder = server().drivesFolder();
    o.port = testing::kPort;
    return o;
  }()};
  fs::path exe_ = fs::path(QUILBERT_BINARY_DIR) / "quilbert";
  quilbert::testing::TempDir dir_;
};

TEST_F(ProgramOnSmb, AutomaticModeConnectsTheConfiguredShares) {
  writeConfiguration(dir_.path());
  const quilbert::testing::CommandRun run =
      runProgram(exe_, dir_.path(), "QUILBERT_NETWORK_WAIT=0", "/a");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Drives connected : 2/3"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(testing::kAlicePassword), std::string::npos);
  std::ofstream(server().drivesFolder() / "Q" / "from-q.txt") << "via Q:";
  EXPECT_EQ(testing::serverFile(server().shareFolder("docs") / "deep/a/from-q.txt", "via Q:"),
            "via Q:");
  EXPECT_TRUE(fs::exists(server().drivesFolder() / "P"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(server().drivesFolder() / "R")));
}

// A start that asks no server anything loads no SMB stack: the real
// network's module comes only with the real network, libsmbclient only with
// a first question to a server, Avahi's client only with a first browse.
TEST_F(ProgramOnSmb, TheSmbStackLoadsOnlyWhenAServerIsAsked) {
  fs::copy_file(fs::path(QUILBERT_SOURCE_DIR) / "demo/network.toml", dir_.path() / "network.toml");
  std::string none;  // no entries: nothing to ask a server
  for (char c = 'A'; c <= 'Z'; ++c) none += std::string("0\t") + c + "\t\t\t\r\n";
  none += "ide\r\nwindows\r\nlangage_gb.txt\r\nnres\r\n";
  const char* user = std::getenv("USER");
  for (const std::string& name : {std::string("claire"), std::string(user ? user : "root")}) {
    quilbert::testing::writeFile(dir_.path() / "config" / "quilbert" / (name + ".ini"), none);
  }
  struct Case {
    std::string network;
    bool module;
  };
  for (const Case& c :
       {Case{"sim:" + (dir_.path() / "network.toml").string(), false}, Case{"smb", true}}) {
    const quilbert::testing::CommandRun run =
        runProgram(exe_, dir_.path(), "LD_DEBUG=files QUILBERT_NETWORK=" + c.network, "/a");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("quilbert-smb.so") != std::string::npos, c.module) << c.network;
    EXPECT_EQ(run.output.find("libsmbclient"), std::string::npos) << c.network;
    EXPECT_EQ(run.output.find("libavahi"), std::string::npos) << c.network;
  }
}

TEST_F(ProgramOnSmb, WithoutASessionBusItSaysWhatIsMissing) {
  writeConfiguration(dir_.path());
  const quilbert::testing::CommandRun run =
      runProgram(exe_, dir_.path(),
                 "QUILBERT_NETWORK_WAIT=0 DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "/a");
  EXPECT_NE(run.output.find("no D-Bus session bus"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Drives connected : 0/3"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(server().drivesFolder() / "P"));
}

// Log-on before the network: no route and a server that does not answer when
// /a starts; both come a few seconds later, and the letter connects at once.
TEST_F(ProgramOnSmb, AutomaticModeWaitsForALateNetworkAndConnectsWhenItComes) {
  if (!testing::SambaServer::inNamespace()) GTEST_SKIP() << "needs a network namespace";
  writeLetters(dir_.path(), {{'P', "\\\\127.0.0.1\\public"}});
  const std::string drop =
      "nft add table ip quilbert_late && nft add chain ip quilbert_late out "
      "'{ type filter hook output priority 0; }' && nft add rule ip "
      "quilbert_late out tcp dport " +
      std::to_string(testing::kPort) + " drop";
  ASSERT_EQ(std::system(drop.c_str()), 0);
  const pid_t pid = startProgram(
      programCommand(exe_, dir_.path(), "QUILBERT_SMB_TIMEOUT=1000", "/a"), dir_.path() / "out");
  std::this_thread::sleep_for(7s);  // the retries at 2 and 6 s have found nothing
  const long before = wakeUps(pid);
  // Nor may a core dump of it keep the passwords it holds, whatever the shell allows.
  const std::string limits =
      quilbert::testing::readFile("/proc/" + std::to_string(pid) + "/limits");
  EXPECT_THAT(limits, ::testing::ContainsRegex("Max core file size +0 +0 ")) << limits;
  std::this_thread::sleep_for(6s);  // no retry is due until 14 s
  const long idle = wakeUps(pid) - before;
  std::system("nft delete table ip quilbert_late && ip route add default dev lo");
  const auto up = std::chrono::steady_clock::now();
  while (!fs::exists(server().drivesFolder() / "P") &&
         std::chrono::steady_clock::now() - up < 10s) {
    std::this_thread::sleep_for(5ms);
  }
  const auto connectedAfter = std::chrono::steady_clock::now() - up;
  const int rc = waitForProgram(pid);
  std::system("ip route del default dev lo");
  const std::string out = quilbert::testing::readFile(dir_.path() / "out");
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("QUILBERT is waiting for the network : P:\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Drives connected : 1/1"), std::string::npos) << out;
  EXPECT_LT(connectedAfter, 1s);
  // Waiting is driven by events: the window thread sleeps between retries.
  EXPECT_LE(idle, 12) << "wake-ups in 6 s of waiting";
  RecordProperty("connectedMs", static_cast<int>(connectedAfter / 1ms));
  RecordProperty("wakeUpsIn6sWaiting", static_cast<int>(idle));
}

// Resident after the automatic run: a share unmounted behind the program's
// back (by the file manager, or its daemon ending) comes back by itself.
TEST_F(ProgramOnSmb, AResidentProgramBringsBackAShareUnmountedElsewhere) {
  writeLetters(dir_.path(), {{'P', "\\\\127.0.0.1\\public"}}, "ores");
  const pid_t pid = startProgram(programCommand(exe_, dir_.path(), "", "/a"), dir_.path() / "out");
  const fs::path inside = server().drivesFolder() / "P" / "";
  const auto within = [](auto condition, auto limit) {
    const auto start = std::chrono::steady_clock::now();
    while (!condition() && std::chrono::steady_clock::now() - start < limit) {
      std::this_thread::sleep_for(5ms);
    }
    return std::chrono::steady_clock::now() - start;
  };
  within([&] { return fs::exists(inside); }, 20s);
  std::this_thread::sleep_for(3s);  // the summary has gone: the program only waits now
  const long before = wakeUps(pid);
  std::this_thread::sleep_for(5s);
  const long idle = wakeUps(pid) - before;
  const auto unmount = quilbert::testing::runShell(
      "gio mount -u '" + fs::read_symlink(inside.parent_path()).string() + "'");
  ASSERT_EQ(unmount.exitCode, 0) << unmount.output;
  const auto back = within([&] { return fs::exists(inside); }, 10s);
  kill(pid, SIGTERM);
  waitForProgram(pid);
  EXPECT_LT(back, 2s) << quilbert::testing::readFile(dir_.path() / "out");
  RecordProperty("backMs", static_cast<int>(back / 1ms));
  RecordProperty("wakeUpsIn5sResident", static_cast<int>(idle));
}

// A stale password: the server sees the login refused for one letter only,
// however many letters use it.
TEST_F(ProgramOnSmb, ARefusedLoginReachesTheServerOnceForAllItsLetters) {
  const fs::path log = server().root() / "log" / "smbd.out";
  const std::string kRefused = "NT_STATUS_WRONG_PASSWORD";
  auto refusals = [&] {
    const std::string text = quilbert::testing::readFile(log);
    std::size_t n = 0;
    for (auto at = text.find(kRefused); at != std::string::npos; at = text.find(kRefused, at + 1))
      ++n;
    return n;
  };
  std::vector<std::size_t> seen;
  for (const std::string letters : {"P", "PQR"}) {
    std::vector<Letter> config;
    for (char c : letters) config.push_back({c, "\\\\127.0.0.1\\docs", "stale"});
    writeLetters(dir_.path(), config);
    const std::size_t before = refusals();
    const auto run = runProgram(exe_, dir_.path(), "QUILBERT_NETWORK_WAIT=0", "/a");
    EXPECT_NE(run.output.find("Drives connected : 0/" + std::to_string(letters.size())),
              std::string::npos)
        << run.output;
    seen.push_back(refusals() - before);
  }
  EXPECT_GT(seen[0], 0U) << "the server's log shows no refused login";
  EXPECT_EQ(seen[1], seen[0]);
}

// What a script asks the command line on the real network: which letter is
// down and why, and what the server offers.
TEST_F(ProgramOnSmb, TheCommandLineSaysWhichLetterIsDownAndWhy) {
  platform::NetResource publicShare;
  publicShare.type = platform::kTypeDisk;
  publicShare.localName = "P:";
  publicShare.remoteName = "\\\\127.0.0.1\\public";
  ASSERT_EQ(net_.addConnection(publicShare, "", "", 0), platform::neterr::kOk);
  writeConfiguration(dir_.path());
  const fs::path cli = fs::path(QUILBERT_BINARY_DIR) / "quilbert-cli";
  const auto status = runProgram(cli, dir_.path(), "", "status --json 2>/dev/null");
  EXPECT_EQ(status.exitCode, 2) << status.output;
  const auto letters = nlohmann::json::parse(status.output)["letters"];
  ASSERT_EQ(letters.size(), 3U) << status.output;
  EXPECT_EQ(letters[0]["connected"], true);
  EXPECT_EQ(letters[1]["reason"], "This drive letter is not connected.");
  EXPECT_EQ(letters[2]["reason"], "Network path not found.");  // nothing listens there

  const auto shares = runProgram(cli, dir_.path(), "", "browse '\\\\127.0.0.1' 2>&1");
  EXPECT_NE(shares.output.find("[Share] \\\\127.0.0.1\\docs (Alice's documents)"),
            std::string::npos)
      << shares.output;
  // Configured servers, and the computer the discovery peer announces.
  const auto all = runProgram(cli, dir_.path(), "", "browse --json 2>/dev/null");
  const auto answer = nlohmann::json::parse(all.output);
  std::map<std::string, std::vector<std::string>> groups;
  for (const auto& group : answer["workgroups"]) {
    for (const auto& server : group["servers"]) {
      groups[group["name"].get<std::string>()].push_back(server["name"].get<std::string>());
    }
  }
  EXPECT_THAT(groups[kOtherServers], ::testing::Contains("\\\\127.0.0.1")) << all.output;
  if (testing::SambaServer::inNamespace()) {  // the peer announces only there
    EXPECT_THAT(groups["TESTGROUP"], ::testing::Contains(std::string("\\\\") + testing::kPeerName))
        << all.output;
  }
}

// The report of the program over the real network: the connected letter, the
// configured server and its shares, and the computer found by WS-Discovery
// with its workgroup and shares.
TEST_F(ProgramOnSmb, TheReportListsTheServerAndItsShares) {
  platform::NetResource publicShare;
  publicShare.type = platform::kTypeDisk;
  publicShare.localName = "P:";
  publicShare.remoteName = "\\\\127.0.0.1\\public";
  ASSERT_EQ(net_.addConnection(publicShare, "", "", 0), platform::neterr::kOk);
  headless::HeadlessToolkit tk;
  platform::FileRegistry registry((dir_.path() / "config").string());
  platform::LinuxProcess process(0, nullptr, (dir_.path() / "run").string());
  SmbOptions options;
  options.drivesFolder = server().drivesFolder();
  options.port = testing::kPort;
  options.mdns = false;
  options.configuredRemotes = [] { return std::vector<std::string>{"\\\\127.0.0.1\\docs"}; };
  app::Globals* program = nullptr;
  options.foundComputersName = [&program] { return program->msg(app::kMsgFoundComputers); };
  options.findComputers = net::computerFinder();
  SmbNetwork net(options);
  app::Globals g(app::Services{tk, net, net, registry, process});
  program = &g;
  for (int n = 0; n < app::kCatalogueSize; ++n) {
    g.Catalogue[static_cast<std::size_t>(n)] = "m" + std::to_string(n);
  }
  ui::ReportWindow report(g);
  std::vector<std::string> drives;
  std::vector<std::string> network;
  tk.expectModal("Form1", [&](forms::Form& f) {
    auto& form = dynamic_cast<ui::ReportForm&>(f);
    tk.advance(200);
    drives = form.text1.items();
    network = form.text2.items();
    form.Command1.click();
  });
  report.show();
  EXPECT_EQ(drives, std::vector<std::string>{"m115 P: - \\\\127.0.0.1\\public"});
  const auto has = [&](const std::string& line) {
    return std::find(network.begin(), network.end(), line) != network.end();
  };
  EXPECT_TRUE(has("\\\\127.0.0.1 ")) << ::testing::PrintToString(network);
  EXPECT_TRUE(has("\\\\127.0.0.1\\public Open to all")) << ::testing::PrintToString(network);
  EXPECT_TRUE(has("\\\\127.0.0.1\\docs Alice's documents")) << ::testing::PrintToString(network);
  if (!testing::SambaServer::inNamespace()) return;
  const std::string peer = std::string("\\\\") + testing::kPeerName;
  for (const std::string& line :
       {std::string("m132 "), std::string("TESTGROUP "), peer + " " + testing::kPeerAddress,
        peer + "\\public Open to all"}) {
    EXPECT_TRUE(has(line)) << line << " in " << ::testing::PrintToString(network);
  }
}

}  // namespace
}  // namespace quilbert::smb
