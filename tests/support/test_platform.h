// The native process and registry services for the tests' program, set up in
// a folder of the test so that no test meets another or the real settings.
// One header, one implementation per platform (test_platform_posix.cpp,
// test_platform_win32.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/domain.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace quilbert::testing {

// The real process services, with the program folder and the command line a
// test wants. Programs given the same `scope` folder are instances of the
// same program: the second of them finds the first running.
class TestProcess : public platform::Process {
 public:
  TestProcess(std::string commandLine, std::string appDir, const std::filesystem::path& scope);
  ~TestProcess() override;

  std::string appDir() override { return appDir_; }
  std::string exeFileName() override { return native_->exeFileName(); }
  std::string commandLine() override { return commandLine_; }
  std::string userLanguage() override { return language; }
  std::string language;  // what the system says the user speaks
  bool claimSingleInstance() override { return native_->claimSingleInstance(); }
  void listenForActivation(std::function<void()> onActivate) override {
    native_->listenForActivation(std::move(onActivate));
  }
  void tellConnectionsChanged() override { native_->tellConnectionsChanged(); }
  void listenForConnectionChanges(std::function<void()> onChanged) override {
    native_->listenForConnectionChanges(std::move(onChanged));
  }
  std::string replaceFile(const std::string& path, const std::string& bytes,
                          bool ownerOnly) override {
    return native_->replaceFile(path, bytes, ownerOnly);
  }

 private:
  std::string commandLine_;
  std::string appDir_;
  std::unique_ptr<platform::Process> native_;
};

// The real registry service, kept apart for one test: the settings folder
// (Windows: "Local AppData", as on Windows 10) at `settingsFolder`, and the Run key.
class TestRegistry : public platform::Registry {
 public:
  TestRegistry(const std::filesystem::path& testFolder,
               const std::filesystem::path& settingsFolder);
  ~TestRegistry() override;

  int openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access,
              platform::RegKey& key) override;
  int queryValue(platform::RegKey key, const std::string& name, std::uint32_t* type,
                 std::string* data, std::uint32_t& size) override;
  int setValue(platform::RegKey key, const std::string& name, std::uint32_t type,
               const std::string& data) override;
  int deleteValue(platform::RegKey key, const std::string& name) override;
  int closeKey(platform::RegKey key) override;
  int createKey(std::uint32_t root, const std::string& subKey) override;

  // From now on, opening this key for writing is refused with 5, as for a
  // user without write access (false: allowed again).
  void setReadOnly(std::uint32_t root, const std::string& subKey, bool readOnly = true);
  // Whatever the platform keeps beside the Run value to start the program at
  // log-on agrees with the command given ("" for none).
  [[nodiscard]] bool startsAtLogOn(const std::string& command) const;

  struct Native;

 private:
  std::unique_ptr<Native> native_;
  platform::Registry* real_ = nullptr;  // native_, seen as the service it is
};

// The platform's own domain service (log-on names, the system's cipher).
std::unique_ptr<platform::Domain> nativeDomain();

// Whether only the file's owner may read it (POSIX: mode 0600; Windows: an
// access list that lets in the current user and the system alone).
bool readableByOwnerOnly(const std::filesystem::path& file);

// While it lives, replacing `file` fails part-way, as a full disk (POSIX: a
// file-size limit) or another program holding the file (Windows) makes it.
class BlockedWrites {
 public:
  explicit BlockedWrites(const std::filesystem::path& file);
  ~BlockedWrites();
  BlockedWrites(const BlockedWrites&) = delete;
  BlockedWrites& operator=(const BlockedWrites&) = delete;

 private:
  std::intptr_t saved_[3] = {};
};

}  // namespace quilbert::testing
