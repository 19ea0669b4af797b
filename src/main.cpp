// Composition root: picks the backend and the services, builds the windows
// and hands over to the main loop. Nothing else.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/globals.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_network.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace {

// QUILBERT_NETWORK=sim:PATH, or the simulated network of the settings folder.
std::filesystem::path networkFile(const quilbert::platform::FileRegistry& registry) {
  const char* chosen = std::getenv("QUILBERT_NETWORK");
  std::string spec = chosen != nullptr ? chosen : "";
  if (spec.empty()) return std::filesystem::path(registry.settingsFolder()) / "network.toml";
  if (spec.rfind("sim:", 0) == 0) return spec.substr(4);
  throw std::runtime_error("QUILBERT_NETWORK=" + spec +
                           ": unknown network (use sim:PATH to a network description)");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quilbert;
  platform::LinuxProcess process(argc, argv);
  platform::FileRegistry registry;
  registry.reconcileAutostart();
  std::unique_ptr<sim::SimNetwork> network;
  try {
    const auto file = networkFile(registry);
    if (std::getenv("QUILBERT_NETWORK") == nullptr && !std::filesystem::exists(file)) {
      // No network described yet: an empty one, with the user logged on here.
      sim::NetworkSpec empty;
      const char* user = std::getenv("USER");
      empty.user = user != nullptr ? user : "user";
      network = std::make_unique<sim::SimNetwork>(
          empty, std::filesystem::path(file).replace_extension(".state"));
    } else {
      network = sim::SimNetwork::open(file);
    }
  } catch (const std::exception& e) {
    std::cerr << "quilbert: " << e.what() << "\n";
    return 2;
  }
  qtview::QtToolkit toolkit(argc, argv, network.get());
  app::Globals g(app::Services{toolkit, *network, *network, registry, process, &std::cout});
  g.CommandLine = process.commandLine();

  ui::ConnectWindow window(g);
  ui::ProgramWindows windows(g, window);
  // Closing the main window by its close box ends the program once it is gone.
  window.onUnload = [&toolkit] { toolkit.quit(0); };
  window.load();

  // This is the running instance: a later start brings the window back.
  process.listenForActivation([&window] { window.bringBack(); });
  if (const int fd = process.activationDescriptor(); fd >= 0)
    toolkit.watchReadable(fd, [&process] { process.serviceActivation(); });
  return toolkit.runMainLoop();
}
