#include "platform/linux/linux_process.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/linux/linux_test_support.h"

namespace quilbert::platform {
namespace {

using testing::permissions;
using testing::readFile;
using testing::runInChild;
using testing::TempFolder;
using testing::writeFile;

const char* const kArgs[] = {"quilbert", "/a", "b  c"};

bool readable(int fd) {
  pollfd ready{fd, POLLIN, 0};
  return ::poll(&ready, 1, 1000) == 1;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LinuxProcess, ReportsItsFolderNameAndArguments) {
  LinuxProcess process(3, kArgs, "/nonexistent");
  auto exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(process.appDir(), exe.parent_path().string() + "/");
  EXPECT_EQ(process.exeFileName(), exe.filename().string());
  EXPECT_EQ(process.commandLine(), "/a b  c");
  EXPECT_EQ(LinuxProcess(1, kArgs, "/nonexistent").commandLine(), "");
}

TEST(LinuxProcess, InstanceFilesLiveInTheUsersRuntimeFolder) {
  {
    testing::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/4242/");
    EXPECT_EQ(LinuxProcess(1, kArgs).lockPath(), "/run/user/4242/quilbert.lock");
    EXPECT_EQ(LinuxProcess(1, kArgs).socketPath(), "/run/user/4242/quilbert.sock");
  }
  testing::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  EXPECT_EQ(LinuxProcess(1, kArgs).lockPath(),
            "/tmp/quilbert-" + std::to_string(::getuid()) + "/quilbert.lock");
  // A runtime folder others may write to holds no lock or socket of ours.
  TempFolder open;
  ::chmod(open.path().c_str(), 0777);
  EXPECT_TRUE(LinuxProcess(1, kArgs, open.path()).claimSingleInstance());
  EXPECT_FALSE(std::filesystem::exists(open / "quilbert.lock"));
}

TEST(LinuxProcess, SecondInstanceBringsTheFirstToTheFront) {
  TempFolder runtime;
  int activations = 0;
  {
    LinuxProcess first(1, kArgs, runtime.path());
    ASSERT_TRUE(first.claimSingleInstance());
    EXPECT_TRUE(first.claimSingleInstance());  // claiming again keeps the claim
    first.listenForActivation([&] { ++activations; });
    int fd = first.activationDescriptor();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(permissions(first.socketPath()) & 0777U, 0600U);

    LinuxProcess second(1, kArgs, runtime.path());
    LinuxProcess third(1, kArgs, runtime.path());
    EXPECT_FALSE(second.claimSingleInstance());
    EXPECT_FALSE(third.claimSingleInstance());
    second.listenForActivation([] {});
    EXPECT_EQ(second.activationDescriptor(), -1);
    ASSERT_TRUE(readable(fd));
    first.serviceActivation();
    EXPECT_EQ(activations, 1);  // both asked before the wake-up: the window comes back once
    first.serviceActivation();  // nothing pending: no call, no wait
    EXPECT_EQ(activations, 1);
  }
  // The first instance has ended: its socket is gone and a new one may run.
  EXPECT_FALSE(std::filesystem::exists(runtime / "quilbert.sock"));
  LinuxProcess next(1, kArgs, runtime.path());
  EXPECT_TRUE(next.claimSingleInstance());
}

// The command line's word that the connections changed reaches the running
// instance as that, never as a request to come forward; with no instance
// running it costs nothing and claims nothing.
TEST(LinuxProcess, TheCommandLineTellsTheRunningInstanceThatConnectionsChanged) {
  TempFolder runtime;
  LinuxProcess script(1, kArgs, runtime.path());
  script.tellConnectionsChanged();
  EXPECT_FALSE(std::filesystem::exists(runtime / "quilbert.lock"));
  LinuxProcess first(1, kArgs, runtime.path());
  ASSERT_TRUE(first.claimSingleInstance());
  int activations = 0;
  int changes = 0;
  first.listenForActivation([&] { ++activations; });
  first.listenForConnectionChanges([&] { ++changes; });
  script.tellConnectionsChanged();
  ASSERT_TRUE(readable(first.activationDescriptor()));
  first.serviceActivation();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(activations, 0);
}

TEST(LinuxProcess, StaleSocketOfACrashedInstanceDoesNotBlock) {
  TempFolder runtime;
  // A child claims and listens, then dies without cleaning up.
  runInChild([&] {
    LinuxProcess crashed(1, kArgs, runtime.path());
    crashed.claimSingleInstance();
    crashed.listenForActivation([] {});
    ::_exit(0);
    return std::string();
  });
  ASSERT_TRUE(std::filesystem::is_socket(runtime / "quilbert.sock"));

  LinuxProcess first(1, kArgs, runtime.path());
  ASSERT_TRUE(first.claimSingleInstance());
  int activations = 0;
  first.listenForActivation([&] { ++activations; });
  int fd = first.activationDescriptor();
  ASSERT_GE(fd, 0);
  LinuxProcess second(1, kArgs, runtime.path());
  EXPECT_FALSE(second.claimSingleInstance());
  ASSERT_TRUE(readable(fd));
  first.serviceActivation();
  EXPECT_EQ(activations, 1);
}

TEST(LinuxProcess, ActivationNeverHangsOnASilentOrAbsentPeer) {
  TempFolder runtime;
  LinuxProcess first(1, kArgs, runtime.path());
  ASSERT_TRUE(first.claimSingleInstance());
  // The first instance does not listen (yet): the second gives up quickly.
  auto start = std::chrono::steady_clock::now();
  LinuxProcess second(1, kArgs, runtime.path());
  EXPECT_FALSE(second.claimSingleInstance());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  // A client that connects but sends nothing, or sends something else, does not activate.
  int activations = 0;
  first.listenForActivation([&] { ++activations; });
  int fd = first.activationDescriptor();
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, first.socketPath().c_str());
  int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
  int other = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::connect(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::write(other, "hello\n", 6), 6);
  ::close(other);
  start = std::chrono::steady_clock::now();
  first.serviceActivation();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(activations, 0);
  ::close(silent);
}

TEST(LinuxProcess, IdleAndReconnectingPeersNeverHoldUpTheWindowsThread) {
  TempFolder runtime;
  LinuxProcess first(1, kArgs, runtime.path());
  ASSERT_TRUE(first.claimSingleInstance());
  int activations = 0;
  first.listenForActivation([&] { ++activations; });
  const int fd = first.activationDescriptor();
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, first.socketPath().c_str());
  auto connectSilently = [&] {
    int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? s : -1;
  };

  // 64 peers that connect and say nothing, one that reconnects as soon as it is
  // dropped, and meanwhile a second instance asking for the window.
  std::atomic<bool> stop{false};
  std::vector<int> idle(64, -1);
  std::thread idlers([&] {
    for (int& s : idle) s = connectSilently();
  });
  std::atomic<int> reconnections{0};
  std::thread reconnecting([&] {
    while (!stop) {
      int s = connectSilently();
      pollfd hangUp{s, POLLIN, 0};
      ::poll(&hangUp, 1, 100);
      ::close(s);
      ++reconnections;
    }
  });
  std::thread second([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    LinuxProcess later(1, kArgs, runtime.path());
    EXPECT_FALSE(later.claimSingleInstance());
  });

  // The window's loop: wait for the descriptor, service it, time every call.
  auto longest = std::chrono::steady_clock::duration::zero();
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < end) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 10) != 1) continue;
    auto start = std::chrono::steady_clock::now();
    first.serviceActivation();
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
  }
  stop = true;
  second.join();
  idlers.join();
  reconnecting.join();
  first.serviceActivation();

  EXPECT_LT(longest, std::chrono::milliseconds(100));
  EXPECT_EQ(activations, 1);
  EXPECT_GT(reconnections, 5);
  // The silent peers were let go rather than kept waiting.
  int dropped = 0;
  for (int s : idle) {
    char byte = 0;
    if (s >= 0 && ::recv(s, &byte, 1, MSG_DONTWAIT) == 0) ++dropped;
    ::close(s);
  }
  EXPECT_GE(dropped, 64 - 16);
}

TEST(LinuxProcess, ReplaceFileSwapsTheWholeFileWithTheRightPermissions) {
  TempFolder folder;
  LinuxProcess process(1, kArgs, folder.path());
  const std::string target = folder / "user.ini";
  writeFile(target, "old content that is longer than the new one");
  ::chmod(target.c_str(), 0644);
  EXPECT_EQ(process.replaceFile(target, "new\r\n", true), "");
  EXPECT_EQ(readFile(target), "new\r\n");
  EXPECT_EQ(permissions(target), 0600U);

  mode_t previous = ::umask(027);
  EXPECT_EQ(process.replaceFile(folder / "shared.txt", "x", false), "");
  ::umask(previous);
  EXPECT_EQ(permissions(folder / "shared.txt"), 0640U);
  EXPECT_EQ(folderEntries(folder.path()), (std::vector<std::string>{"shared.txt", "user.ini"}));

  // A link is refused, with a message: neither it nor the file it leads to changes.
  std::filesystem::create_symlink(target, folder / "link.ini");
  EXPECT_NE(process.replaceFile(folder / "link.ini", "through the link", true).find("link"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
  EXPECT_EQ(readFile(target), "new\r\n");
}

// Settings beside the program are trusted only when nobody else could have
// written them: the file and its folder.
TEST(LinuxProcess, OnlySettingsNobodyElseCouldWriteAreTrusted) {
  const std::tuple<mode_t, mode_t, uid_t, std::string> cases[] = {
      {0600, 0755, ::getuid(), ""},
      {0620, 0755, ::getuid(), "others may write"},
      {0600, 0777, ::getuid(), "others may write"},
      {0600, 0755, ::getuid() + 1500, "another user"}};  // as root only
  for (const auto& [file, folder, owner, why] : cases) {
    TempFolder dir;
    writeFile(dir / "user.ini", "x");
    ::chmod((dir / "user.ini").c_str(), file);
    ::chmod(dir.path().c_str(), folder);
    if (owner != ::getuid() && ::chown((dir / "user.ini").c_str(), owner, -1) != 0) continue;
    const std::string said = LinuxProcess(1, kArgs, dir.path()).untrustedFile(dir / "user.ini");
    EXPECT_TRUE(why.empty() ? said.empty() : said.find(why) != std::string::npos) << said;
  }
}

TEST(LinuxProcess, FailedReplaceLeavesTheOldFileAndSaysWhy) {
  TempFolder folder;
  LinuxProcess process(1, kArgs, folder.path());
  const std::string target = folder / "user.ini";
  writeFile(target, "kept");

  // A folder the writer may not change (as another user when the tests run as root).
  ::chmod(folder.path().c_str(), 0555);
  std::string message = runInChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      return std::string("no");
    return process.replaceFile(target, "lost", true);
  });
  ::chmod(folder.path().c_str(), 0700);
  EXPECT_NE(message.find(target), std::string::npos) << message;
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;

  // The disk refuses the content half-way (a file size limit stands in for a full disk).
  message = runInChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return process.replaceFile(target, std::string(100000, 'x'), true);
  });
  EXPECT_NE(message.find(target), std::string::npos) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;

  message = process.replaceFile(folder / "missing/user.ini", "x", true);
  EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;

  EXPECT_EQ(readFile(target), "kept");
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"user.ini"});
}

}  // namespace
}  // namespace quilbert::platform
