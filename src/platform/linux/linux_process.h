// The process services for Linux: program folder and command line from the
// kernel and argv, a single instance held by a lock file, and activation
// requests passed over a Unix-domain socket beside it.
#pragma once

#include <functional>
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
  ~LinuxProcess() override;
  LinuxProcess(const LinuxProcess&) = delete;
  LinuxProcess& operator=(const LinuxProcess&) = delete;

  std::string appDir() override;
  std::string exeFileName() override;
  std::string commandLine() override;
  bool claimSingleInstance() override;
  int listenForActivation(std::function<void()> onActivate) override;
  void serviceActivation() override;
  std::string replaceFile(const std::string& path, const std::string& bytes,
                          bool ownerOnly) override;

  [[nodiscard]] const std::string& lockPath() const { return lockPath_; }
  [[nodiscard]] const std::string& socketPath() const { return socketPath_; }

 private:
  [[nodiscard]] std::string prepareRuntimeFolder() const;
  void requestActivation() const;
  [[nodiscard]] std::string executablePath() const;
  void report(const std::string& message) const;

  std::vector<std::string> arguments_;
  std::string runtimeFolder_;
  bool defaultFolder_ = false;
  std::string lockPath_;
  std::string socketPath_;
  posix::UniqueFd lock_;
  posix::UniqueFd listener_;
  std::function<void()> onActivate_;
};

}  // namespace quilbert::platform
