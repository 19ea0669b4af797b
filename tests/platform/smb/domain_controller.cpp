// A Samba domain controller for the single sign-on tests (see samba_server.h).
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "samba_server.h"
#include "support/shell_command.h"
#include "support/test_program.h"

namespace quilbert::smb::testing {

namespace fs = std::filesystem;

namespace {

constexpr char kDomainPassword[] = "Al1ce-Pass!";  // alice's in the domain

bool run(const std::string& command, std::string& failure) {
  const auto done = quilbert::testing::runShell(command + " 2>&1");
  if (done.exitCode != 0 && failure.empty()) failure = command + ": " + done.output;
  return done.exitCode == 0;
}

}  // namespace

void DomainController::start(const fs::path& root) {
  root_ = root;
  const std::string t = root.string();
  // Alice is a domain user: no local owner of ours lets her in.
  fs::create_directories(root / "team");
  fs::permissions(root / "team", fs::perms::all);
  fs::permissions(root, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
  // What the provision would take from the machine (name server, log, pid and
  // socket folders) goes to our folder; winbindd's socket goes where smbd's
  // library looks for it, in a /run/samba of our own; Samba serves only
  // addresses an interface holds, and Kerberos needs the host's name.
  std::string provision =
      "samba-tool domain provision --realm=QUIL.TEST --domain=QUIL --server-role=dc "
      "--dns-backend=SAMBA_INTERNAL --host-name=dc1 --adminpass='Adm1n-Pass!' --targetdir=" +
      t;
  for (const std::string& option :
       {std::string("dns forwarder = 127.0.0.1"), "log file = " + t + "/log.%m",
        "pid directory = " + t, "ncalrpc dir = " + t + "/ncalrpc",
        "ntp signd socket directory = " + t + "/ntp", std::string("interfaces = ") + kDcAddress,
        std::string("bind interfaces only = yes"), "smb ports = " + std::to_string(kPort),
        std::string("server services = -dns"),
        std::string("winbindd socket directory = /run/samba/winbindd")}) {
    provision += " --option='" + option + "'";
  }
  std::ofstream(root / "krb5.conf")
      << "[libdefaults]\n default_realm = QUIL.TEST\n"
      << " dns_lookup_kdc = false\n rdns = false\n"
      << "[realms]\n QUIL.TEST = {\n  kdc = " << kDcAddress << "\n }\n";
  std::ofstream(root / "hosts") << std::ifstream("/etc/hosts").rdbuf() << "\n"
                                << kDcAddress << " " << kDcHost << "\n";
  ::setenv("KRB5_CONFIG", (t + "/krb5.conf").c_str(), 1);
  ::setenv("KRB5CCNAME", ("FILE:" + t + "/cc").c_str(), 1);
  if (!run(std::string("ip addr add ") + kDcAddress + "/8 dev lo && mkdir -p /run/samba " + t +
               "/run && mount --bind " + t + "/run /run/samba && mount --bind " + t +
               "/hosts /etc/hosts",
           failure_)) {
    return;
  }
  // The provision takes seconds: it runs while the other peers start.
  std::ofstream(root / "up.sh") << "echo $$ > " << t << "/up.pid\n"
                                << provision << " > " << t << "/provision.log 2>&1 || exit 1\n"
                                << "printf '[team]\\n path = " << t
                                << "/team\\n valid users = QUIL\\\\alice\\n read only = no\\n' >> "
                                << t << "/etc/smb.conf\n"
                                << "samba-tool user create alice '" << kDomainPassword << "' -s "
                                << t << "/etc/smb.conf >> " << t
                                << "/provision.log 2>&1 || exit 1\n"
                                << "exec samba -s " << t << "/etc/smb.conf\n";
  started_ = run("sh " + t + "/up.sh >/dev/null 2>&1 &", failure_);
}

bool DomainController::ready() {
  const std::string probe = std::string("bash -c 'exec 3<>/dev/tcp/") + kDcAddress + "/" +
                            std::to_string(kPort) + "' 2>/dev/null";
  if (started_ && run("timeout 150 sh -c \"until " + probe + "; do sleep 0.1; done\"", failure_)) {
    return true;
  }
  failure_ += quilbert::testing::readFile(root_ / "provision.log");
  return false;
}

bool DomainController::logOn() {
  return run("printf '%s\\n' '" + std::string(kDomainPassword) + "' | kinit alice@QUIL.TEST",
             failure_);
}

void DomainController::stop() {
  if (!started_) return;
  started_ = false;
  // The provision, if still at work, and every daemon of the domain: they
  // rename themselves ("samba: root process"), but keep the environment that
  // names our folder. Scan again after each round, as a forked task may be
  // starting when the first signal comes.
  const std::string folder = root_.string();
  for (int round = 0; round < 20; ++round) {
    std::vector<pid_t> pids;
    for (pid_t pid : processesMarked(folder, folder)) {
      const std::string state =
          quilbert::testing::readFile("/proc/" + std::to_string(pid) + "/stat");
      if (!state.empty() && state.find(") Z") == std::string::npos) pids.push_back(pid);
    }
    if (pids.empty()) break;
    for (pid_t pid : pids) ::kill(pid, round < 10 ? SIGTERM : SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

DomainController& domainController() {
  static DomainController dc;
  return dc;
}

}  // namespace quilbert::smb::testing
