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
#include "support/drive_maps_sample.h"
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

// quilbert.exe (or another program of the build) started with `arguments`
// in `dir`, its output in a file there; waited for when asked.
class StartedProgram {
 public:
  StartedProgram(const fs::path& dir, const std::wstring& arguments, const wchar_t* program)
      : outFile_(dir / "out.txt") {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    out_ = CreateFileW(outFile_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out_;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const fs::path exe = buildFolder() / program;
    std::wstring line = L"\"" + exe.wstring() + L"\" " + arguments;
    CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                   &startup, &process_);
  }
  ~StartedProgram() { wait(); }
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  ProgramRun wait() {
    ProgramRun run;
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 60'000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_.hProcess, &exitCode_);
      } else {
        TerminateProcess(process_.hProcess, 99);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
      process_ = {};
    }
    if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
    out_ = INVALID_HANDLE_VALUE;
    run.exitCode = exitCode_;
    run.output = readFile(outFile_);
    std::erase(run.output, '\r');  // text mode writes CR LF
    return run;
  }

 private:
  fs::path outFile_;
  HANDLE out_ = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process_{};
  DWORD exitCode_ = 0xFFFFFFFF;
};

ProgramRun runProgram(const fs::path& dir, const std::wstring& arguments,
                      const wchar_t* program = L"quilbert.exe") {
  return StartedProgram(dir, arguments, program).wait();
}

// The demo network served by the test provider and the demo configuration
// where a prefix as Wine makes it, like Windows 10, puts it: Local AppData.
struct DemoUnderWine {
  DemoUnderWine() {
    fs::copy_file(source / "demo" / "network.toml", description);
    SetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", description.c_str());
    // The command line's walk finds no computers on the machine's interfaces.
    SetEnvironmentVariableW(L"QUILBERT_DISCOVERY", L"off");
    // Wine's mpr answers the user of the session, not the provider's (a gap
    // of Wine): the file is named after whatever user mpr reports.
    std::string user(256, '\0');
    std::uint32_t length = 256;
    EXPECT_EQ(network.getUser("", user, length), 0);
    configName = app::lowerCase(user.substr(0, user.find('\0'))) + ".ini";
    EXPECT_FALSE(fs::exists(buildFolder() / platform::pathFromUtf8(configName)));
    writeFile(settings / platform::pathFromUtf8(configName), config);
  }
  ~DemoUnderWine() {
    for (const wchar_t* name :
         {L"QUILBERT_TEST_NETWORK", L"QUILBERT_NETWORK_WAIT", L"QUILBERT_DISCOVERY"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
    fs::remove(settings / platform::pathFromUtf8(configName));
  }
  DemoUnderWine(const DemoUnderWine&) = delete;
  DemoUnderWine& operator=(const DemoUnderWine&) = delete;

  testing::TempDir dir;
  const fs::path source = QUILBERT_SOURCE_DIR;
  const fs::path description = dir.path() / "network.toml";
  const fs::path settings = _wgetenv(L"LOCALAPPDATA");
  const std::string config = readFile(source / "demo" / "claire.ini");
  platform::Win32Network network;
  std::string configName;
};

TEST(ProgramUnderWine, AutomaticRunThenTheCommandLineThenASecondStartBringsTheFirstBack) {
  // Nothing set by hand that Windows lacks.
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Local Settings", RRF_RT_ANY, nullptr,
                         nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  DemoUnderWine demo;
  const fs::path& source = demo.source;
  const std::string& config = demo.config;
  platform::Win32Network& network = demo.network;
  const testing::TempDir& dir = demo.dir;

  // HERMES is switched off: the run does not wait for it here.
  SetEnvironmentVariableW(L"QUILBERT_NETWORK_WAIT", L"0");
  const ProgramRun automatic = runProgram(dir.path(), L"/a");
  EXPECT_EQ(automatic.exitCode, 0U);

  // The same configuration on the simulated network, in this process.
  testing::TestProgram expected("/a", sim::readDescription(source / "demo" / "network.toml"));
  writeFile(expected.configPath(), config);
  expected.g->state.NetworkWaitMs = 0;
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
  int changes = 0;
  first.listenForActivation([&] { ++activations; });
  first.listenForConnectionChanges([&] { ++changes; });
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
  // A server that is off: its reason and 1, not an empty list.
  const ProgramRun off = runProgram(dir.path(), L"browse --json \\\\HERMES", L"quilbert-cli.exe");
  EXPECT_EQ(off.exitCode, 1U) << off.output;
  EXPECT_NE(off.output.find("\"reason\""), std::string::npos) << off.output;
  // Disconnected by the command line, which tells the running instance.
  const ProgramRun gone = runProgram(dir.path(), L"disconnect F", L"quilbert-cli.exe");
  EXPECT_EQ(gone.exitCode, 0U) << gone.output;
  const ProgramRun second = runProgram(dir.path(), L"/a");
  EXPECT_EQ(second.exitCode, 0U);
  EXPECT_EQ(second.output, "");
  EXPECT_EQ(network.getConnection("F:", remote), 2250);
  first.serviceActivation();
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(changes, 1);
}

// The policy file the Linux command line imports gives the same table here,
// its password decrypted by CNG (CommandLine.ImportTellsItsDryRunThenWritesTheTable).
TEST(ProgramUnderWine, TheCommandLineImportsDrivesXmlAsOnLinux) {
  DemoUnderWine demo;
  const fs::path config = demo.settings / platform::pathFromUtf8(demo.configName);
  writeFile(config, testing::emptyEnglishConfig());
  writeFile(demo.dir.path() / "Drives.xml", testing::kDriveMapsSample);
  const ProgramRun run = runProgram(demo.dir.path(), L"import Drives.xml", L"quilbert-cli.exe");
  EXPECT_EQ(run.exitCode, 0U) << run.output;
  EXPECT_EQ(readFile(config), testing::importedSampleConfig()) << run.output;
}

// Started before a server can be reached, the automatic run waits for it; the
// machine waking from sleep tries again at once, not at the next retry.
TEST(ProgramUnderWine, TheWaitingAutomaticRunConnectsWhenTheMachineWakes) {
  DemoUnderWine demo;
  SetEnvironmentVariableW(L"QUILBERT_NETWORK_WAIT", L"60");
  StartedProgram automatic(demo.dir.path(), L"/a", L"quilbert.exe");
  std::string remote;
  const auto connectedWithin = [&](const char* letter, DWORD ms) {
    const DWORD start = GetTickCount();
    while (demo.network.getConnection(letter, remote) != 0) {
      if (GetTickCount() - start > ms) return false;
      Sleep(20);
    }
    return true;
  };
  // H is connected before P (HERMES) is first tried; the first retry comes
  // 2 s after that, the next 4 s later.
  ASSERT_TRUE(connectedWithin("H:", 30'000));
  Sleep(2500);
  std::string network = readFile(demo.description);
  network.replace(network.find("reachable = false"), 17, "reachable = true");
  writeFile(demo.description, network);
  PostMessageW(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  const DWORD woken = GetTickCount();
  EXPECT_TRUE(connectedWithin("P:", 10'000));
  EXPECT_LT(GetTickCount() - woken, 1500U) << "connected by a retry, not by the wake-up";
  const ProgramRun run = automatic.wait();
  EXPECT_EQ(run.exitCode, 0U);
  EXPECT_NE(run.output.find("4/4"), std::string::npos) << run.output;
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
