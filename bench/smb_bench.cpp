// Figures of the real network against a Samba server on loopback, in a
// network namespace of its own (run as root): connecting one share through
// the service against GIO's own mount and `gio mount`, alternated; a
// 26-letter pass over the shares of one server; a pass with letters on a
// server that never answers, against the bound.
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/smb/gio_mounts.h"
#include "platform/smb/samba_server.h"
#include "platform/smb/smb_network.h"

namespace {

using namespace quilbert;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

platform::NetResource disk(char letter, const std::string& remote) {
  platform::NetResource r;
  r.type = platform::kTypeDisk;
  r.localName = std::string(1, letter) + ":";
  r.remoteName = remote;
  return r;
}

// Until gvfs's FUSE root no longer lists the share: the next mount of it is
// then a fresh one for every contender alike.
void settle(const std::filesystem::path& fuseRoot) {
  for (int i = 0; i < 100 && !std::filesystem::is_empty(fuseRoot); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Until a folder reads through FUSE (a share mounted again fails for a moment).
void waitReadable(const std::string& folder) {
  for (int i = 0; i < 500; ++i) {
    if (DIR* d = ::opendir(folder.c_str())) {
      errno = 0;
      const bool ok = ::readdir(d) != nullptr || errno == 0;
      ::closedir(d);
      if (ok) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// CPU time (ms) every live process has used, by pid, with its program name.
using Cpu = std::map<int, std::pair<std::string, double>>;
Cpu cpuByProcess() {
  Cpu out;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const int pid = std::atoi(entry.path().filename().c_str());  // 0: not a process
    std::ifstream in(entry.path() / "stat");
    std::string line;
    unsigned long user = 0;
    unsigned long system = 0;
    const std::size_t open = std::getline(in, line) ? line.find('(') : std::string::npos;
    const std::size_t close = line.rfind(')');
    if (pid == 0 || open == std::string::npos || close == std::string::npos ||
        std::sscanf(line.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                    &user, &system) != 2) {
      continue;
    }
    out[pid] = {
        line.substr(open + 1, close - open - 1),
        static_cast<double>(user + system) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK))};
  }
  return out;
}

// CPU time (ms) the whole machine has been busy, from /proc/stat.
double machineBusyMs() {
  std::ifstream in("/proc/stat");
  std::string cpu;
  unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0;
  in >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq;
  return static_cast<double>(user + nice + system + irq + softirq) * 1000.0 /
         static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// What each program spent since `before` (processes ended meanwhile are not
// seen: gvfs's backends and Samba's servers live while mounted).
std::string cpuSpent(const Cpu& before) {
  std::map<std::string, double> byProgram;
  double total = 0;
  for (const auto& [pid, now] : cpuByProcess()) {
    const auto was = before.find(pid);
    const double spent = now.second - (was != before.end() ? was->second.second : 0);
    byProgram[now.first] += spent;
    total += spent;
  }
  std::string out = "CPU ms " + std::to_string(static_cast<int>(total)) + ":";
  for (const auto& [program, ms] : byProgram) {
    if (ms > 0) out += " " + program + " " + std::to_string(static_cast<int>(ms));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
  auto& server = smb::testing::server();
  if (!smb::testing::SambaServer::enterNamespace()) {
    std::fprintf(stderr, "needs root for a network namespace of its own\n");
    return 1;
  }
  server.start(76);  // s01-s26 and s51-s76 for the passes, s27-s50 mounted once each
  if (!server.running()) {
    std::fprintf(stderr, "%s\n", server.failure().c_str());
    server.stop();
    return 1;
  }
  smb::SmbOptions options;
  options.drivesFolder = server.drivesFolder();
  options.port = smb::testing::kPort;
  options.mdns = false;
  smb::SmbNetwork net(options);
  const std::filesystem::path fuseRoot = server.runtimeFolder() / "gvfs";
  const std::string uri = "smb://127.0.0.1:" + std::to_string(smb::testing::kPort) + "/public";
  const std::string gio = "gio mount -a '" + uri + "' </dev/null >/dev/null 2>&1";
  const std::string gioOff = "gio mount -u '" + uri + "' >/dev/null 2>&1";

  // Warm up every path once (samba-dcerpcd, gvfsd-smb, the FUSE daemon).
  net.addConnection(disk('P', "\\\\127.0.0.1\\public"), "", "", 0);
  net.cancelConnection("P:", 0, true);
  settle(fuseRoot);

  std::vector<double> service;
  std::vector<double> inProcess;
  std::vector<double> command;
  std::vector<double> inProcessUsable;
  std::vector<double> commandUsable;
  const std::string fuseShare =
      (fuseRoot /
       ("smb-share:port=" + std::to_string(smb::testing::kPort) + ",server=127.0.0.1,share=public"))
          .string();
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    const int code = net.addConnection(disk('P', "\\\\127.0.0.1\\public"), "", "", 0);
    service.push_back(msSince(start));
    if (code != 0) std::fprintf(stderr, "connect: %d\n", code);
    net.cancelConnection("P:", 0, true);
    settle(fuseRoot);

    start = Clock::now();
    smb::GioMounts::mount(uri, smb::Credentials{}, 20000);
    inProcess.push_back(msSince(start));
    waitReadable(fuseShare);
    inProcessUsable.push_back(msSince(start));
    smb::GioMounts::unmount(uri, true, 20000);
    settle(fuseRoot);

    start = Clock::now();
    if (std::system(gio.c_str()) != 0) std::fprintf(stderr, "gio mount failed\n");
    command.push_back(msSince(start));
    waitReadable(fuseShare);
    commandUsable.push_back(msSince(start));
    if (std::system(gioOff.c_str()) != 0) std::fprintf(stderr, "gio mount -u failed\n");
    settle(fuseRoot);
  }
  std::printf(
      "share mounted again right after its unmount, median of %d (ms): service %.1f (usable when "
      "it returns); "
      "GIO mount in-process %.1f, usable after %.1f; `gio mount` %.1f, usable after %.1f\n"
      "service / `gio mount` until usable %.2fx; service / in-process GIO until usable "
      "%.2fx\n",
      rounds, median(service), median(inProcess), median(inProcessUsable), median(command),
      median(commandUsable), median(service) / median(commandUsable),
      median(service) / median(inProcessUsable));

  // First mounts: every contender mounts a share nobody mounted before.
  const int fresh = 8;
  std::vector<double> freshService;
  std::vector<double> freshInProcess;
  std::vector<double> freshCommand;
  const auto shareName = [](int n) { return (n < 10 ? "s0" : "s") + std::to_string(n); };
  const auto shareUri = [&](int n) {
    return "smb://127.0.0.1:" + std::to_string(smb::testing::kPort) + "/" + shareName(n);
  };
  const auto fusePath = [&](int n) {
    return (fuseRoot / ("smb-share:port=" + std::to_string(smb::testing::kPort) +
                        ",server=127.0.0.1,share=" + shareName(n)))
        .string();
  };
  for (int i = 0; i < fresh; ++i) {
    const int a = 27 + 3 * i;
    auto start = Clock::now();
    if (net.addConnection(disk('P', "\\\\127.0.0.1\\" + shareName(a)), "", "", 0) != 0) {
      std::fprintf(stderr, "connect failed\n");
    }
    freshService.push_back(msSince(start));
    net.cancelConnection("P:", 0, true);
    settle(fuseRoot);

    start = Clock::now();
    smb::GioMounts::mount(shareUri(a + 1), smb::Credentials{}, 20000);
    waitReadable(fusePath(a + 1));
    freshInProcess.push_back(msSince(start));
    smb::GioMounts::unmount(shareUri(a + 1), true, 20000);
    settle(fuseRoot);

    start = Clock::now();
    if (std::system(
            ("gio mount -a '" + shareUri(a + 2) + "' </dev/null >/dev/null 2>&1").c_str()) != 0) {
      std::fprintf(stderr, "gio mount failed\n");
    }
    waitReadable(fusePath(a + 2));
    freshCommand.push_back(msSince(start));
    if (std::system(("gio mount -u '" + shareUri(a + 2) + "' >/dev/null 2>&1").c_str()) != 0) {
      std::fprintf(stderr, "gio mount -u failed\n");
    }
    settle(fuseRoot);
  }
  std::printf(
      "first mount of a share, until usable, median of %d (ms): service %.1f, GIO "
      "in-process %.1f, `gio mount` %.1f; service / `gio mount` %.2fx, service / "
      "in-process GIO %.2fx\n",
      fresh, median(freshService), median(freshInProcess), median(freshCommand),
      median(freshService) / median(freshCommand), median(freshService) / median(freshInProcess));

  // The pass as before (one letter after another), then as the connect pass
  // makes it: the first letter, then the others' mounts started at once.
  for (const bool ahead : {false, true}) {
    // Shares not mounted before: one mounted again is unreadable for a while.
    const auto remote = [ahead](int i) {
      const int n = i + 1 + (ahead ? 50 : 0);
      return "\\\\127.0.0.1\\" + std::string(n < 10 ? "s0" : "s") + std::to_string(n);
    };
    const auto cpuBefore = cpuByProcess();
    const double busyBefore = machineBusyMs();
    auto start = Clock::now();
    int connected = 0;
    for (int i = 0; i < 26; ++i) {
      if (ahead && i == 1) {
        std::vector<platform::PendingConnection> rest;
        for (int j = 1; j < 26; ++j) {
          rest.push_back({disk(static_cast<char>('A' + j), remote(j)), "", ""});
        }
        net.prepareConnections(rest);
      }
      connected += net.addConnection(disk(static_cast<char>('A' + i), remote(i)), "", "", 0) == 0;
    }
    net.dropPrepared();
    const double pass = msSince(start);
    // The machine's own count also holds the kernel and the processes that
    // ended during the pass.
    const std::string spent = cpuSpent(cpuBefore) + "; machine busy " +
                              std::to_string(static_cast<int>(machineBusyMs() - busyBefore)) +
                              " ms";
    start = Clock::now();
    for (int i = 0; i < 26; ++i) net.cancelConnection(std::string(1, 'A' + i) + ":", 0, true);
    const double cancel = msSince(start);
    std::printf(
        "26-letter pass over 26 shares of one server, %s: %d connected in %.0f ms (%.1f ms a "
        "letter); all cancelled in %.0f ms\n  %s\n",
        ahead ? "mounts started at once" : "one after another", connected, pass, pass / 26, cancel,
        spent.c_str());
    settle(fuseRoot);
  }

  for (const char* silent : {smb::testing::kSilent, smb::testing::kDropping}) {
    smb::SmbNetwork fresh(options);  // no memory of silent servers yet
    auto start = Clock::now();
    int refused = 0;
    for (int i = 0; i < 26; ++i) {
      refused += fresh.addConnection(
                     disk(static_cast<char>('A' + i), std::string("\\\\") + silent + "\\share"), "",
                     "", 0) == platform::neterr::kNetworkUnreachable;
    }
    std::printf("26 letters on %s (%s): %d answered 1231, total wait %.0f ms, bound %d ms\n",
                silent,
                silent == smb::testing::kSilent ? "accepts, never answers" : "drops packets",
                refused, msSince(start), options.timeoutMs);
  }
  server.stop();
  return 0;
}
