// The process services for Linux: program folder and command line from the
// kernel and argv, a single instance held by a lock file, and activation
// requests passed over a Unix-domain socket beside it.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/posix_file.h"
#include "platform/process.h"

namespace quilbert::platform {

class LinuxProcess : public Process {
 public:
  // `runtimeFolder` holds quilbert.lock and quilbert.sock. Empty means
  // $XDG_RUNTIME_DIR, or /tmp/quilbert-<uid> (made private to the user) when
  // that is unset. Tests pass a folder of their own.
  LinuxProcess(int argc, const char* const* argv, std::string runtimeFolder = {});
  // The program holds the user's passwords for its whole session: no core
  // dump may write them to disk, and no other process of the user's may read
  // its memory.
  static void forbidCoreDumps();
  ~LinuxProcess() override;
  LinuxProcess(const LinuxProcess&) = delete;
  LinuxProcess& operator=(const LinuxProcess&) = delete;

  std::string appDir() override;
  std::string exeFileName() override;
  std::string commandLine() override;
  std::string userLanguage() override;
  bool claimSingleInstance() override;
  void listenForActivation(std::function<void()> onActivate) override;
  void tellConnectionsChanged() override;
  void listenForConnectionChanges(std::function<void()> onChanged) override;
  std::string replaceFile(const std::string& path, const std::string& bytes,
                          bool ownerOnly) override;
  std::string untrustedFile(const std::string& path) override;

  // What the window's loop watches once listening (-1 before, or when this
  // instance does not listen): readable whenever a peer connects, writes or
  // hangs up.
  [[nodiscard]] int activationDescriptor() const { return poller_.get(); }
  // Handles whatever waits on the activation socket, never waiting for a
  // peer: the window's thread calls it when the descriptor is readable.
  void serviceActivation();

  // The running executable, links resolved.
  [[nodiscard]] std::string executablePath() const;
  [[nodiscard]] const std::string& lockPath() const { return lockPath_; }
  [[nodiscard]] const std::string& socketPath() const { return socketPath_; }

 private:
  [[nodiscard]] std::string prepareRuntimeFolder() const;
  // Sends `request` to the running instance, trying again for `patience`
  // while it does not listen yet.
  void sendRequest(const std::string& request, std::chrono::milliseconds patience) const;
  // What a peer asked, counted until the window's thread answers them.
  struct Requests {
    int activate = 0;
    int changed = 0;
  };
  struct Peer {
    posix::UniqueFd fd;
    std::string text;
    std::chrono::steady_clock::time_point since;
  };
  void acceptPeers(Requests& requests);
  // Reads what the peer has sent so far; false when it is done with (or
  // sent something that is no request) and must be dropped.
  static bool readPeer(Peer& peer, Requests& requests);
  void dropPeer(int fd);
  void report(const std::string& message) const;

  std::vector<std::string> arguments_;
  std::string runtimeFolder_;
  bool defaultFolder_ = false;
  std::string lockPath_;
  std::string socketPath_;
  posix::UniqueFd lock_;
  posix::UniqueFd listener_;
  posix::UniqueFd poller_;
  // Connected peers whose request is not complete yet, by descriptor.
  std::map<int, Peer> peers_;
  std::function<void()> onActivate_;
  std::function<void()> onChanged_;
};

}  // namespace quilbert::platform
