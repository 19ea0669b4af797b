// Composition root of quilbert-cli.exe: a console program on the real Windows
// services; no window.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "app/services.h"
#include "cli/cli.h"
#include "net/computer_finder.h"
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
  const app::Catalogue* texts = nullptr;  // names the entry of the computers found
  platform::Win32Network network(
      net::computerFinder(),
      [&texts] { return texts != nullptr ? texts->msg(app::kMsgFoundComputers) : std::string(); },
      [&texts] {
        return texts != nullptr ? texts->msg(app::kMsgMoreComputersAnswered) : std::string();
      });
  platform::Win32Drives drives(network);
  platform::Win32Credentials credentials;
  platform::Win32Domain domain;
  app::Services svc{network, drives, registry, process, nullptr, nullptr, &credentials, &domain};
  cli::Program p(svc);
  texts = &p.texts;
  p.texts.useCredentialManagerWording();
  // The help and the usage errors speak the configuration's language too.
  cli::loadSettings(p);
  cli::Command command;
  if (auto code = cli::parseArguments(p.texts, argc, pointers.data(), command, out, err)) {
    return *code;
  }
  return cli::execute(p, command, out, err);
}
