#include "platform/linux/chosen_network.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/sim/sim_network.h"

#ifndef QUILBERT_MODULE_DIR
#define QUILBERT_MODULE_DIR "lib/quilbert"
#endif

namespace quilbert::platform {

namespace {

namespace fs = std::filesystem;

smb::OpenedNetwork openRealNetwork(const std::string& executable, const smb::ModuleHooks& hooks) {
  const fs::path programFolder = fs::path(executable).parent_path();
  std::string tried;
  for (const fs::path& candidate :
       {programFolder / smb::kModuleFile,
        programFolder / ".." / QUILBERT_MODULE_DIR / smb::kModuleFile}) {
    std::error_code ignored;
    if (!fs::exists(candidate, ignored)) {
      tried += (tried.empty() ? "" : ", ") + candidate.lexically_normal().string();
      continue;
    }
    // Kept for the process's life: the network's code lives in it.
    void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* error = ::dlerror();
      throw std::runtime_error(std::string("the real network cannot be loaded: ") +
                               (error != nullptr ? error : candidate.c_str()));
    }
    auto entry = reinterpret_cast<smb::ModuleEntry>(  // NOLINT: dlsym gives the entry point
        ::dlsym(module, smb::kModuleEntry));
    if (entry == nullptr) {
      throw std::runtime_error(candidate.string() + " is not the real network's module");
    }
    smb::OpenedNetwork opened;
    entry(hooks, opened);
    return opened;
  }
  throw std::runtime_error("the real network is not installed (no " + tried +
                           "); use QUILBERT_NETWORK=sim:PATH for a simulated one");
}

}  // namespace

smb::OpenedNetwork openChosenNetwork(const std::string& settingsFolder,
                                     const std::string& executable, const smb::ModuleHooks& hooks) {
  const char* chosen = std::getenv("QUILBERT_NETWORK");
  const std::string spec = chosen != nullptr ? chosen : "";
  fs::path file;
  if (spec.empty()) {
    file = fs::path(settingsFolder) / "network.toml";
    std::error_code ignored;
    if (!fs::exists(file, ignored)) file.clear();
  } else if (spec.rfind("sim:", 0) == 0) {
    file = spec.substr(4);
  } else if (spec != "smb") {
    throw std::runtime_error("QUILBERT_NETWORK=" + spec +
                             ": unknown network (use smb, or sim:PATH to a network description)");
  }
  if (file.empty()) return openRealNetwork(executable, hooks);
  smb::OpenedNetwork opened;
  auto simulated = sim::SimNetwork::open(file);
  opened.drives = simulated.get();
  opened.network = std::move(simulated);
  return opened;
}

}  // namespace quilbert::platform
