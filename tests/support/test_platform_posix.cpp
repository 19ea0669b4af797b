#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/linux/file_registry.h"
#include "platform/linux/linux_domain.h"
#include "platform/linux/linux_process.h"
#include "support/test_platform.h"

namespace quilbert::testing {

TestProcess::TestProcess(std::string commandLine, std::string appDir,
                         const std::filesystem::path& scope)
    : commandLine_(std::move(commandLine)),
      appDir_(std::move(appDir)),
      native_(std::make_unique<platform::LinuxProcess>(0, nullptr, scope.string())) {
  std::error_code ec;
  std::filesystem::create_directories(scope, ec);
  std::filesystem::permissions(scope, std::filesystem::perms::owner_all, ec);
}

TestProcess::~TestProcess() = default;

std::unique_ptr<platform::Domain> nativeDomain() {
  return std::make_unique<platform::LinuxDomain>();
}

struct TestRegistry::Native : platform::FileRegistry {
  using FileRegistry::FileRegistry;
};

TestRegistry::TestRegistry(const std::filesystem::path& testFolder,
                           const std::filesystem::path& /*settingsFolder*/)
    : native_(std::make_unique<Native>((testFolder / "config").string())) {
  real_ = native_.get();
}

TestRegistry::~TestRegistry() = default;

void TestRegistry::setReadOnly(std::uint32_t root, const std::string& subKey, bool readOnly) {
  native_->setReadOnly(root, subKey, readOnly);
}

bool TestRegistry::startsAtLogOn(const std::string& command) const {
  std::ifstream in(native_->autostartPath(), std::ios::binary);
  if (!in) return command.empty();
  std::ostringstream text;
  text << in.rdbuf();
  return !command.empty() && text.str().find("Exec=") != std::string::npos;
}

bool readableByOwnerOnly(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  return (fs::status(file).permissions() & fs::perms::all) ==
         (fs::perms::owner_read | fs::perms::owner_write);
}

BlockedWrites::BlockedWrites(const std::filesystem::path& /*file*/) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  saved_[0] = static_cast<std::intptr_t>(old.rlim_cur);
  saved_[1] = static_cast<std::intptr_t>(old.rlim_max);
  saved_[2] = reinterpret_cast<std::intptr_t>(std::signal(SIGXFSZ, SIG_IGN));
  rlimit small = old;
  small.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &small);
}

BlockedWrites::~BlockedWrites() {
  rlimit old{static_cast<rlim_t>(saved_[0]), static_cast<rlim_t>(saved_[1])};
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, reinterpret_cast<void (*)(int)>(saved_[2]));
}

}  // namespace quilbert::testing
