// Composition root of quilbert-cli.exe: a console program on the real Windows
// services; no window.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/globals.h"
#include "cli/cli.h"
#include "net/computer_finder.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_credentials.h"
#include "platform/win32/win32_domain.h"
#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

int wmain(int argc, wchar_t** argv) {
  using namespace quilbert;
  // The answers are UTF-8, as the JSON is: a console is handed them as
  // UTF-16, whatever its code page; a file or a pipe gets the bytes.
  platform::win32::ConsoleBuffer outBuffer(GetStdHandle(STD_OUTPUT_HANDLE));
  platform::win32::ConsoleBuffer errBuffer(GetStdHandle(STD_ERROR_HANDLE));
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::win32::narrow(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  platform::Win32Process process;
  platform::Win32Registry registry;
  const app::Globals* program = nullptr;  // names the entry of the computers found
  platform::Win32Network network(
      net::computerFinder(),
      [&program] {
        return program != nullptr ? program->msg(app::kMsgFoundComputers) : std::string();
      },
      [&program] {
        return program != nullptr ? program->msg(app::kMsgMoreComputersAnswered) : std::string();
      });
  platform::Win32Drives drives(network);
  // The windowless backend of the form model: the commands show nothing.
  headless::HeadlessToolkit toolkit;
  platform::Win32Credentials credentials;
  app::Globals g(
      app::Services{toolkit, network, drives, registry, process, nullptr, nullptr, &credentials});
  platform::Win32Domain domain;
  g.svc.domain = &domain;
  program = &g;
  // The help and the usage errors speak the configuration's language too.
  cli::loadSettings(g);
  cli::Command command;
  if (auto code = cli::parseArguments(g, argc, pointers.data(), command, out, err)) {
    return *code;
  }
  return cli::execute(g, command, out, err);
}
