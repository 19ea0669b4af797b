// Composition root of the Windows program: the real Windows services. Until
// the Win32 view exists, it runs the automatic mode (/a) on the headless
// backend, whose virtual clock lets the status windows run out at once, and
// prints the status lines as the Linux program does.
#include <iostream>
#include <string>

#include "app/globals.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "ui/common/dialog.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace {

using quilbert::headless::HeadlessToolkit;

// Nobody can answer a dialog here: its text goes to stderr and its first
// button is taken, as pressing Enter would.
void answerDialogs(HeadlessToolkit& toolkit) {
  toolkit.expectModal("Dialog", [&toolkit](quilbert::forms::Form& form) {
    auto& dialog = dynamic_cast<quilbert::ui::DialogForm&>(form);
    std::cerr << "quilbert: " << dialog.txtmessage.caption() << "\n";
    answerDialogs(toolkit);
    if (dialog.OKButton.visible()) {
      dialog.OKButton.click();
    } else {
      dialog.OuiButton.click();
    }
  });
}

}  // namespace

int main() {
  using namespace quilbert;
  platform::Win32Process process;
  platform::Win32Registry registry;
  platform::Win32Network network;
  platform::Win32Drives drives(network);
  const std::string commandLine = process.commandLine();
  if (commandLine != "/a") {
    std::cerr << "quilbert: this build runs the automatic mode only: quilbert.exe /a\n";
    return 2;
  }
  HeadlessToolkit toolkit;
  answerDialogs(toolkit);
  app::Globals g(app::Services{toolkit, network, drives, registry, process, &std::cout});
  g.CommandLine = commandLine;

  ui::ConnectWindow window(g);
  ui::ProgramWindows windows(g, window);
  window.onUnload = [&toolkit] { toolkit.quit(0); };
  try {
    window.load();
    process.listenForActivation([&window] { window.bringBack(); });
    return toolkit.runMainLoop();
  } catch (const forms::ProcessEnded& ended) {
    std::cout.flush();
    return ended.exitCode;
  }
}
