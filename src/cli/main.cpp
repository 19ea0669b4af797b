// Composition root of quilbert-cli on Linux: the network the program would
// run on, the registry store and the process services; no window.
#include <iostream>

#include "app/globals.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "network_hooks.h"
#include "platform/headless/headless_toolkit.h"
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
  const app::Globals* program = nullptr;
  platform::OpenedNetwork chosen;
  try {
    chosen = platform::openChosenNetwork(registry.settingsFolder(), process.executablePath(),
                                         networkHooks(program), sim::openSimulatedNetwork);
  } catch (const std::exception& e) {
    std::cerr << "quilbert-cli: " << e.what() << "\n";
    return cli::kExitCannotRun;
  }
  // The windowless backend of the form model: the commands show nothing.
  headless::HeadlessToolkit toolkit;
  app::Globals g(app::Services{toolkit, *chosen.network, *chosen.drives, registry, process, nullptr,
                               nullptr, chosen.passwords.get()});
  platform::LinuxDomain domain;
  g.svc.domain = &domain;
  program = &g;
  // The help and the usage errors speak the configuration's language too.
  cli::loadSettings(g);
  cli::Command command;
  if (auto code = cli::parseArguments(g, argc, argv, command, std::cout, std::cerr)) {
    return *code;
  }
  return cli::execute(g, command, std::cout, std::cerr);
}
