// Composition root of quilbert-cli on Linux: the network the program would
// run on, the registry store and the process services; no window.
#include <iostream>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "app/services.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "network_hooks.h"
#include "platform/linux/chosen_network.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_domain.h"
#include "platform/linux/linux_process.h"
#include "platform/sim/sim_network.h"

int main(int argc, char** argv) {
  using namespace quilbert;
  platform::LinuxProcess::forbidCoreDumps();
  platform::LinuxProcess process(argc, argv);
  platform::FileRegistry registry;
  const app::Config* config = nullptr;
  const app::Catalogue* texts = nullptr;
  platform::OpenedNetwork chosen;
  try {
    chosen = platform::openChosenNetwork(registry.settingsFolder(), process.executablePath(),
                                         networkHooks(config, texts), sim::openSimulatedNetwork);
  } catch (const std::exception& e) {
    std::cerr << "quilbert-cli: " << e.what() << "\n";
    return cli::kExitCannotRun;
  }
  platform::LinuxDomain domain;
  app::Services svc{*chosen.network, *chosen.drives,         registry, process, nullptr,
                    nullptr,         chosen.passwords.get(), &domain};
  cli::Program p(svc);
  config = &p.config;
  texts = &p.texts;
  // The help and the usage errors speak the configuration's language too.
  cli::loadSettings(p);
  cli::Command command;
  if (auto code = cli::parseArguments(p.texts, argc, argv, command, std::cout, std::cerr)) {
    return *code;
  }
  return cli::execute(p, command, std::cout, std::cerr);
}
