#include "platform/linux/chosen_network.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/lazy_library.h"

#ifndef QUILBERT_MODULE_DIR
#define QUILBERT_MODULE_DIR "lib/quilbert"
#endif

namespace quilbert::platform {

namespace {

namespace fs = std::filesystem;

OpenedNetwork openRealNetwork(const std::string& executable, const ModuleHooks& hooks) {
  const fs::path programFolder = fs::path(executable).parent_path();
  std::string tried;
  for (const fs::path& candidate : {programFolder / kSmbModuleFile,
                                    programFolder / ".." / QUILBERT_MODULE_DIR / kSmbModuleFile}) {
    std::error_code ignored;
    if (!fs::exists(candidate, ignored)) {
      tried += (tried.empty() ? "" : ", ") + candidate.lexically_normal().string();
      continue;
    }
    // Kept for the process's life: the network's code lives in it.
    LazyLibrary module(candidate.c_str());
    if (!module.ok()) {
      throw std::runtime_error("the real network cannot be loaded: " + module.why());
    }
    SmbModuleEntry entry = nullptr;
    module.take(kSmbModuleEntry, entry);
    if (entry == nullptr) {
      throw std::runtime_error(candidate.string() + " is not the real network's module");
    }
    OpenedNetwork opened;
    entry(hooks, opened);
    return opened;
  }
  throw std::runtime_error("the real network is not installed (no " + tried +
                           "); use QUILBERT_NETWORK=sim:PATH for a simulated one");
}

}  // namespace

OpenedNetwork openChosenNetwork(const std::string& settingsFolder, const std::string& executable,
                                const ModuleHooks& hooks,
                                const SimulatedNetworkOpener& openSimulated) {
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
  return openSimulated(file);
}

}  // namespace quilbert::platform
