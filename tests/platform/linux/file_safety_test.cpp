// Files written safely against what can happen around them: links planted in
// the folder, temporary files left by a killed writer, and a writer killed at
// any moment while saving the configuration, the registry store or the state
// file of the simulated network.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/files.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/linux/linux_test_support.h"
#include "platform/linux/posix_file.h"
#include "platform/linux/registry_store.h"
#include "platform/sim/sim_test_support.h"
#include "platform/sim/state_file.h"

namespace quilbert::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

std::vector<std::string> temporaries(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().filename().string().find(".tmp") != std::string::npos)
      found.push_back(e.path().filename().string());
  }
  return found;
}

TEST(FileSafety, TheStateFileNeverWritesThroughALinkPlantedBesideIt) {
  TempFolder dir;
  writeFile(dir / "network.toml", sim::testing::kOffice);
  writeFile(dir / "victim", "precious");
  auto net = sim::SimNetwork::open(dir / "network.toml");
  // Links where a careless writer would put its temporary file.
  ::symlink((dir / "victim").c_str(), (dir / "network.state.tmp").c_str());
  ASSERT_EQ(net->addConnection(sim::testing::diskResource("M:", R"(\\ATLAS\docs)"), "", "", 0), 0);
  EXPECT_EQ(readFile(dir / "victim"), "precious");
  EXPECT_EQ(sim::testing::driveText(*net, 'M'), R"(M: 3 \\ATLAS\docs)");
  EXPECT_EQ(testing::permissions(dir / "network.state"), 0600U);

  // A link in place of the lock file is refused, not followed.
  fs::remove(dir / "network.state.lock");
  ::symlink((dir / "made-by-link").c_str(), (dir / "network.state.lock").c_str());
  EXPECT_NE(net->cancelConnection("M:", 0, false), 0);
  EXPECT_FALSE(fs::exists(dir / "made-by-link"));
  EXPECT_EQ(sim::testing::driveText(*net, 'M'), R"(M: 3 \\ATLAS\docs)");
}

TEST(FileSafety, TemporaryFilesLeftByAKilledWriterGoAtTheNextWriteOfTheirFile) {
  TempFolder dir;
  LinuxProcess process(0, nullptr, dir / "run");
  const std::string config = dir / "claire.ini";
  writeFile(dir / "claire.ini.tmp-k1ll3d00", "scrambled passwords");
  writeFile(dir / "claire.ini.tmp-0ther0ne", "another");
  writeFile(dir / "other.ini.tmp-k1ll3d00", "the file of someone else");
  writeFile(dir / "claire.ini.tmp-NOTOURS", "not a name we make");
  // A writer still at work holds its temporary file locked: it stays.
  const std::string live = dir / "claire.ini.tmp-w0rk1ng0";
  writeFile(live, "");
  posix::UniqueFd held(::open(live.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(::flock(held.get(), LOCK_EX | LOCK_NB), 0);

  ASSERT_EQ(process.replaceFile(config, "new", true), "");
  EXPECT_EQ(readFile(config), "new");
  EXPECT_FALSE(fs::exists(dir / "claire.ini.tmp-k1ll3d00"));
  EXPECT_FALSE(fs::exists(dir / "claire.ini.tmp-0ther0ne"));
  EXPECT_TRUE(fs::exists(dir / "other.ini.tmp-k1ll3d00"));
  EXPECT_TRUE(fs::exists(dir / "claire.ini.tmp-NOTOURS"));
  EXPECT_TRUE(fs::exists(live));
}

// A writer in a child process is killed at a random moment, over and over;
// every time the file holds one whole version, and once the next write has
// run no temporary file is left.
struct Writer {
  std::string name;
  std::string folder;
  std::function<void(int round)> write;  // one save, version round % 2
  std::function<bool()> whole;           // the file holds one whole version
};

void killWhileWriting(const Writer& w, int kills, std::chrono::seconds budget, std::mt19937& rng) {
  const auto end = std::chrono::steady_clock::now() + budget;
  w.write(0);
  int interrupted = 0;
  for (int k = 0; k < kills && std::chrono::steady_clock::now() < end; ++k) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int round = 1;; ++round) w.write(round);
    }
    ::usleep(std::uniform_int_distribution<useconds_t>(100, 4000)(rng));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(w.whole()) << w.name << " after kill " << k;
    if (!temporaries(w.folder).empty()) ++interrupted;
  }
  // The next write: of the two versions one differs from the file, so at
  // least one of these writes (the state file is not rewritten unchanged).
  w.write(1);
  w.write(2);
  EXPECT_TRUE(w.whole()) << w.name;
  EXPECT_EQ(temporaries(w.folder), std::vector<std::string>{}) << w.name;
  std::printf("%s: %d kills left a temporary file, all gone after the next write\n", w.name.c_str(),
              interrupted);
}

TEST(FileSafety, AWriterKilledAtAnyMomentLeavesAWholeFileAndNoTemporaryAfterwards) {
  std::mt19937 rng(std::random_device{}());
  TempFolder dir;

  // The configuration, through the process's file replacement.
  ::mkdir((dir / "settings").c_str(), 0700);
  LinuxProcess process(0, nullptr, dir / "run");
  const std::string config = dir / "settings/claire.ini";
  const std::string versions[2] = {std::string(30'000, 'a') + "\r\n",
                                   std::string(40'000, 'b') + "\r\n"};
  Writer configWriter{"configuration", dir / "settings",
                      [&](int round) { process.replaceFile(config, versions[round % 2], true); },
                      [&] {
                        const std::string now = readFile(config);
                        return now == versions[0] || now == versions[1];
                      }};

  // The registry store, one value of two sizes.
  FileRegistry registry(dir / "config");
  registry.createKey(kHkeyCurrentUser, "Software\\Quilbert");
  const std::string values[2] = {std::string(20'000, 'x') + '\0', std::string(30'000, 'y') + '\0'};
  Writer registryWriter{
      "registry store", dir / "config/quilbert",
      [&](int round) {
        RegKey key = 0;
        registry.openKey(kHkeyCurrentUser, "Software\\Quilbert", kKeyAllAccess, key);
        registry.setValue(key, "v", kRegSz, values[round % 2]);
        registry.closeKey(key);
      },
      [&] {
        const auto parsed = posix::parseStore(readFile(registry.storePath()));
        const auto* key = parsed.table.find("HKEY_CURRENT_USER\\Software\\Quilbert");
        const auto* value = key != nullptr ? key->findValue("v") : nullptr;
        return parsed.problems.empty() && value != nullptr &&
               (value->data == values[0] || value->data == values[1]);
      }};

  // The state file of the simulated network: one letter connected or not.
  ::mkdir((dir / "net").c_str(), 0700);
  writeFile(dir / "net/network.toml", sim::testing::kOffice);
  auto net = sim::SimNetwork::open(dir / "net/network.toml");
  Writer stateWriter{
      "state file", dir / "net",
      [&](int round) {
        if (round % 2 == 0) {
          net->cancelConnection("M:", 0, true);
        } else {
          net->addConnection(sim::testing::diskResource("M:", R"(\\ATLAS\docs)"), "", "", 0);
        }
      },
      [&] { return sim::StateFile::parse(readFile(dir / "net/network.state")).has_value(); }};

  for (const Writer* w : {&configWriter, &registryWriter, &stateWriter}) {
    killWhileWriting(*w, 120, std::chrono::seconds(15), rng);
  }
}

}  // namespace
}  // namespace quilbert::platform
