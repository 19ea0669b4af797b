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
#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

int wmain(int argc, wchar_t** argv) {
  using namespace quilbert;
  // The answers are UTF-8, as the JSON is; a console shows them as such.
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(platform::win32::narrow(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  cli::Command command;
  if (auto code = cli::ParseArguments(argc, pointers.data(), command, std::cout, std::cerr)) {
    return *code;
  }
  platform::Win32Process process;
  platform::Win32Registry registry;
  const app::Globals* program = nullptr;  // names the entry of the computers found
  platform::Win32Network network(net::computerFinder(), [&program] {
    return program != nullptr ? program->msg(app::kMsgFoundComputers) : std::string();
  });
  platform::Win32Drives drives(network);
  // The windowless backend of the form model: the commands show nothing.
  headless::HeadlessToolkit toolkit;
  app::Globals g(app::Services{toolkit, network, drives, registry, process, nullptr});
  program = &g;
  return cli::Execute(g, command, std::cout, std::cerr);
}
