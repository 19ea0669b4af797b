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
#include "platform/smb/smb_network.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace {

// QUILBERT_NETWORK=sim:PATH, or the simulated network of the settings folder;
// empty for the real one (QUILBERT_NETWORK=smb, or unset with no simulated
// network described there).
std::filesystem::path networkFile(const quilbert::platform::FileRegistry& registry) {
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

int main(int argc, char** argv) {
  using namespace quilbert;
  platform::LinuxProcess::forbidCoreDumps();
  platform::LinuxProcess process(argc, argv);
  platform::FileRegistry registry;
  registry.reconcileAutostart();
  std::unique_ptr<sim::SimNetwork> simulated;
  std::unique_ptr<smb::SmbNetwork> real;
  app::Globals* program = nullptr;  // the browser offers the servers of its configuration
  try {
    if (const auto file = networkFile(registry); !file.empty()) {
      simulated = sim::SimNetwork::open(file);
    } else {
      auto options = smb::SmbOptions::fromEnvironment();
      options.configuredRemotes = [&program] {
        std::vector<std::string> remotes;
        if (program != nullptr) {
          for (const auto& entry : program->DriveTable) remotes.push_back(entry.Path);
        }
        return remotes;
      };
      real = std::make_unique<smb::SmbNetwork>(std::move(options));
    }
  } catch (const std::exception& e) {
    std::cerr << "quilbert: " << e.what() << "\n";
    return 2;
  }
  platform::Network& network = simulated ? static_cast<platform::Network&>(*simulated) : *real;
  platform::Drives& drives = simulated ? static_cast<platform::Drives&>(*simulated) : *real;
  qtview::QtToolkit toolkit(argc, argv, &network);
  app::Globals g(app::Services{toolkit, network, drives, registry, process, &std::cout});
  program = &g;
  g.CommandLine = process.commandLine();
  // The windows take their pictures as they are built, before Form_Load sets
  // the program's folder: they need it now, not the current folder.
  g.AppDir = process.appDir();

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
