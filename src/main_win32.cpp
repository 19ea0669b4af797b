// Composition root of the Windows program: the Win32 view and the real
// Windows services, the windows built once, then the main loop. Nothing else.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/catalogue.h"
#include "net/computer_finder.h"
#include "platform/win32/view/win32_toolkit.h"
#include "platform/win32/win32_credentials.h"
#include "platform/win32/win32_domain.h"
#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_network_events.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  using namespace quilbert;
  platform::Win32Process process;
  platform::Win32Registry registry;
  const app::Catalogue* texts = nullptr;  // names the entry of the computers found
  platform::Win32Network network(
      net::computerFinder(),
      [&texts] { return texts != nullptr ? texts->msg(app::kMsgFoundComputers) : std::string(); },
      [&texts] {
        return texts != nullptr ? texts->msg(app::kMsgMoreComputersAnswered) : std::string();
      });
  platform::Win32Drives drives(network);
  win32view::Win32Toolkit toolkit;
  platform::Win32NetworkEvents events;
  // The automatic mode's status lines go to standard output when there is one.
  platform::Win32Credentials credentials;
  platform::Win32Domain domain;
  app::Services svc{network, drives, registry, process, nullptr, &events, &credentials, &domain};
  ui::ProgramState parts(toolkit, svc);
  texts = &parts.texts;
  // Windows users know the passwords' store as the Credential Manager.
  parts.texts.useCredentialManagerWording();
  parts.state.CommandLine = process.commandLine();
  if (parts.state.automatic()) svc.statusLog = app::writeToStandardOutput;
  parts.state.networkWaitFromEnvironment();

  ui::ConnectWindow window(parts.program);
  ui::ProgramWindows windows(parts.program, window);
  // Closing the main window by its close box ends the program once it is gone.
  window.onUnload = [&toolkit] { toolkit.quit(0); };
  // Once this is the running instance, a later start brings the window back,
  // from the automatic run's wait on.
  window.listenForLaterStarts = [&] {
    process.listenForActivation([&window] { window.bringBack(); });
  };
  window.load();
  // The command line connected or disconnected letters: shown at once.
  process.listenForConnectionChanges([&window] { window.connectionsChanged(); });
  const int code = toolkit.runMainLoop();
  std::fflush(stdout);
  return code;
}
