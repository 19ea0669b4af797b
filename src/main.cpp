// Composition root: picks the backend and the services, builds the windows
// and hands over to the main loop. Nothing else.
#include <cstdio>
#include <string>

#include "app/catalogue.h"
#include "network_hooks.h"
#include "platform/linux/chosen_network.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_domain.h"
#include "platform/linux/linux_process.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_network.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

int main(int argc, char** argv) {
  using namespace quilbert;
  platform::LinuxProcess::forbidCoreDumps();
  platform::LinuxProcess process(argc, argv);
  platform::FileRegistry registry;
  registry.reconcileAutostart();
  // The browser offers the servers of the configuration, in its language.
  const app::Config* config = nullptr;
  const app::Catalogue* texts = nullptr;
  platform::OpenedNetwork chosen;
  try {
    chosen = platform::openChosenNetwork(registry.settingsFolder(), process.executablePath(),
                                         networkHooks(config, texts), sim::openSimulatedNetwork);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quilbert: %s\n", e.what());
    return 2;
  }
  platform::Network& network = *chosen.network;
  platform::Drives& drives = *chosen.drives;
  qtview::QtToolkit toolkit(argc, argv, &network);
  platform::LinuxDomain domain;
  app::Services svc{
      network, drives, registry, process, nullptr, chosen.events, chosen.passwords.get(), &domain};
  ui::ProgramState parts(toolkit, svc);
  config = &parts.config;
  texts = &parts.texts;
  // Here the program starts with the desktop session, not with Windows.
  parts.texts.useSessionWording();
  parts.state.CommandLine = process.commandLine();
  if (parts.state.automatic()) svc.statusLog = app::writeToStandardOutput;
  parts.state.networkWaitFromEnvironment();
  // The windows take their pictures as they are built, before Form_Load sets
  // the program's folder: they need it now, not the current folder.
  parts.places.AppDir = process.appDir();

  ui::ConnectWindow window(parts.program);
  ui::ProgramWindows windows(parts.program, window);
  // Closing the main window by its close box ends the program once it is gone.
  window.onUnload = [&toolkit] { toolkit.quit(0); };
  // Once this is the running instance, a later start brings the window back,
  // from the automatic run's wait on.
  window.listenForLaterStarts = [&] {
    process.listenForActivation([&window] { window.bringBack(); });
    if (const int fd = process.activationDescriptor(); fd >= 0)
      toolkit.watchReadable(fd, [&process] { process.serviceActivation(); });
  };
  window.load();
  // The command line connected or disconnected letters: shown at once.
  process.listenForConnectionChanges([&window] { window.connectionsChanged(); });
  return toolkit.runMainLoop();
}
