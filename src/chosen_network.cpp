#include "chosen_network.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/sim/sim_network.h"
#include "platform/smb/smb_network.h"

namespace quilbert {

namespace {

// QUILBERT_NETWORK=sim:PATH, or the simulated network of the settings folder;
// empty for the real one (QUILBERT_NETWORK=smb, or unset with no simulated
// network described there).
std::filesystem::path networkFile(const platform::FileRegistry& registry) {
  const char* chosen = std::getenv("QUILBERT_NETWORK");
  std::string spec = chosen != nullptr ? chosen : "";
  if (spec == "smb") return {};
  if (spec.empty()) {
    auto file = std::filesystem::path(registry.settingsFolder()) / "network.toml";
    return std::filesystem::exists(file) ? file : std::filesystem::path();
  }
  if (spec.rfind("sim:", 0) == 0) return spec.substr(4);
  throw std::runtime_error("QUILBERT_NETWORK=" + spec +
                           ": unknown network (use smb, or sim:PATH to a network description)");
}

}  // namespace

ChosenNetwork::ChosenNetwork(const platform::FileRegistry& registry) {
  if (const auto file = networkFile(registry); !file.empty()) {
    simulated_ = sim::SimNetwork::open(file);
  } else {
    auto options = smb::SmbOptions::fromEnvironment();
    options.configuredRemotes = [this] {
      std::vector<std::string> remotes;
      if (program_ != nullptr) {
        for (const auto& entry : program_->DriveTable) remotes.push_back(entry.Path);
      }
      return remotes;
    };
    real_ = std::make_unique<smb::SmbNetwork>(std::move(options));
  }
}

ChosenNetwork::~ChosenNetwork() = default;

platform::Network& ChosenNetwork::network() {
  if (simulated_) return *simulated_;
  return *real_;
}

platform::Drives& ChosenNetwork::drives() {
  if (simulated_) return *simulated_;
  return *real_;
}

}  // namespace quilbert
