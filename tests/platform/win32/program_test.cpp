// The built quilbert.exe under Wine, on the demo network served through mpr by
// the test network provider: the automatic run connects what the program on
// the simulated network connects and prints the same status lines, and a
// second start ends at once and brings the first instance back.
#include <gtest/gtest.h>
#include <windows.h>
// sddl.h needs the types of windows.h first.
#include <sddl.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "app/text.h"
#include "platform/paths.h"
#include "platform/sim/description.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_text.h"
#include "support/test_program.h"

namespace quilbert {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

const wchar_t kShellFolders[] =
    LR"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)";

fs::path buildFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path();
}

struct ProgramRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs quilbert.exe (or another program of the build) with `arguments`, its
// output in a file of `dir`.
ProgramRun runProgram(const fs::path& dir, const std::wstring& arguments,
                      const wchar_t* program = L"quilbert.exe") {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const fs::path outFile = dir / "out.txt";
  HANDLE out = CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  const fs::path exe = buildFolder() / program;
  std::wstring line = L"\"" + exe.wstring() + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  ProgramRun run;
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                     &startup, &process) != FALSE) {
    if (WaitForSingleObject(process.hProcess, 60'000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
      TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  run.output = readFile(outFile);
  std::erase(run.output, '\r');  // text mode writes CR LF
  return run;
}

TEST(ProgramUnderWine, AutomaticRunThenTheCommandLineThenASecondStartBringsTheFirstBack) {
  testing::TempDir dir;
  const fs::path source = QUILBERT_SOURCE_DIR;
  const fs::path description = dir.path() / "network.toml";
  fs::copy_file(source / "demo" / "network.toml", description);
  SetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", description.c_str());
  // The command line's walk finds no computers on the machine's interfaces.
  SetEnvironmentVariableW(L"QUILBERT_DISCOVERY", L"off");
  // A prefix as Wine makes it, like Windows 10: the file goes to Local AppData.
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Local Settings", RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  const fs::path settings = _wgetenv(L"LOCALAPPDATA");
  // Wine's mpr answers the user of the session, not the provider's (a gap
  // of Wine): the file is named after whatever user mpr reports.
  platform::Win32Network network;
  std::string user(256, '\0');
  std::uint32_t length = 256;
  ASSERT_EQ(network.getUser("", user, length), 0);
  const std::string configName = app::lowerCase(user.substr(0, user.find('\0'))) + ".ini";
  const std::string config = readFile(source / "demo" / "claire.ini");
  ASSERT_FALSE(fs::exists(buildFolder() / platform::pathFromUtf8(configName)));
  writeFile(settings / platform::pathFromUtf8(configName), config);

  const ProgramRun automatic = runProgram(dir.path(), L"/a");
  EXPECT_EQ(automatic.exitCode, 0U);

  // The same configuration on the simulated network, in this process.
  testing::TestProgram expected("/a", sim::readDescription(source / "demo" / "network.toml"));
  writeFile(expected.configPath(), config);
  expected.start();
  EXPECT_EQ(automatic.output, expected.statusLog.str());
  EXPECT_NE(automatic.output.find("3/4"), std::string::npos) << automatic.output;
  std::string remote;
  for (char letter : {'F', 'G', 'H'}) {
    EXPECT_EQ(network.getConnection(std::string(1, letter) + ":", remote), 0) << letter;
    EXPECT_EQ(remote, expected.connectedTo(letter)) << letter;
  }

  // This process is now the running instance; a second start ends at once,
  // connects nothing, and asks it to come back.
  platform::Win32Process first;
  ASSERT_TRUE(first.claimSingleInstance());
  int activations = 0;
  first.listenForActivation([&] { ++activations; });
  // The command line answers beside the running instance, and leaves it be.
  const ProgramRun status = runProgram(dir.path(), L"status --json", L"quilbert-cli.exe");
  EXPECT_EQ(status.exitCode, 1U) << status.output;
  const auto letters = nlohmann::json::parse(status.output)["letters"];
  ASSERT_EQ(letters.size(), 4U) << status.output;
  EXPECT_EQ(letters[0]["to"], expected.connectedTo('F'));
  // HERMES is switched off; Wine's mpr answers 67 where the provider said 1231.
  const std::map<int, std::string> french = {{67, "Chemin réseau introuvable."},
                                             {1231, "Réseau injoignable."}};
  EXPECT_EQ(letters[3]["reason"], french.at(letters[3]["code"])) << status.output;
  const ProgramRun browse = runProgram(dir.path(), L"browse", L"quilbert-cli.exe");
  EXPECT_EQ(browse.output.substr(0, browse.output.find('\n')),
            "[Domaine] BUREAU (Office workgroup)");
  ASSERT_EQ(network.cancelConnection("F:", 0, true), 0);
  const ProgramRun second = runProgram(dir.path(), L"/a");
  EXPECT_EQ(second.exitCode, 0U);
  EXPECT_EQ(second.output, "");
  EXPECT_EQ(network.getConnection("F:", remote), 2250);
  first.serviceActivation();
  EXPECT_EQ(activations, 1);
  SetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", nullptr);
  SetEnvironmentVariableW(L"QUILBERT_DISCOVERY", nullptr);
  fs::remove(settings / platform::pathFromUtf8(configName));
}

// Objects of another owner under the instance's old or new name end no start.
TEST(Win32Process, AnotherAccountsObjectUnderTheInstanceNameEndsNoStart) {
  const std::wstring name = L"QuilbertTest-taken-" + std::to_wstring(GetCurrentProcessId());
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  unsigned char user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
  DWORD size = sizeof user;
  GetTokenInformation(token, TokenUser, user, size, &size);
  LPWSTR sid = nullptr;
  ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
  for (const wchar_t* sddl : {L"O:SYD:(A;;GA;;;WD)", L"O:SYD:P(A;;GA;;;SY)"}) {
    SECURITY_ATTRIBUTES taken{sizeof taken, nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                         &taken.lpSecurityDescriptor, nullptr);
    HANDLE former = CreateMutexW(&taken, FALSE, (L"Local\\" + name + L".instance").c_str());
    HANDLE own = CreateMutexW(&taken, FALSE, (L"Local\\" + name + L".instance." + sid).c_str());
    EXPECT_TRUE(platform::Win32Process(platform::win32::narrow(name)).claimSingleInstance());
    for (HANDLE h : {former, own}) CloseHandle(h);
    LocalFree(taken.lpSecurityDescriptor);
  }
  LocalFree(sid);
  CloseHandle(token);
}

TEST(Win32Process, TheArgumentStringFollowsTheProgramName) {
  using platform::Win32Process;
  EXPECT_EQ(Win32Process::argumentsOf(LR"("C:\Program Files\q\quilbert.exe"  /a)"), "/a");
  EXPECT_EQ(Win32Process::argumentsOf(LR"(C:\q\quilbert.exe /qelvo x)"), "/qelvo x");
  EXPECT_EQ(Win32Process::argumentsOf(L"quilbert.exe\t/a "), "/a ");
  EXPECT_EQ(Win32Process::argumentsOf(L"quilbert.exe"), "");
  EXPECT_EQ(Win32Process::argumentsOf(L"\"C:\\é\\q.exe\" /é"), "/é");
  // The Run value is stored unquoted: the program's own path holds blanks.
  const std::wstring exe = LR"(C:\Program Files\Quilbert\quilbert.exe)";
  EXPECT_EQ(Win32Process::argumentsOf(exe + L" /a", exe), "/a");
  EXPECT_EQ(Win32Process::argumentsOf(LR"(c:\program files\quilbert\QUILBERT.EXE)", exe), "");
  EXPECT_EQ(Win32Process::argumentsOf(exe + L"2 /a", exe), R"(Files\Quilbert\quilbert.exe2 /a)");
}

}  // namespace
}  // namespace quilbert
