// A whole program for behaviour tests: the headless backend, the simulated
// network, and the native registry and process services, all in a temporary
// folder of its own. Tests drive it as a user would, on either platform.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless_toolkit.h"
#include "platform/sim/sim_network.h"
#include "support/test_platform.h"
#include "ui/common/dialog.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace quilbert::testing {

// A temporary folder removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A small network: user "Claire", workgroup MAISON, server SRV with shares
// docs, photos (password "secret" for claire) and busy (open files); server
// OFF unreachable; local drives C (fixed) and D (CD-ROM).
sim::NetworkSpec smallNetwork();

// The French and English files of the repository, or the lines given.
std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& bytes);

// Everything of a program but its backend, in a temporary folder of its own:
// the simulated network, the registry, the process services, the
// program-wide state, the main window and the windows beside it.
class ProgramParts {
 public:
  ProgramParts(forms::Toolkit& toolkit, const std::string& commandLine,
               const sim::NetworkSpec& network);
  ~ProgramParts();
  ProgramParts(const ProgramParts&) = delete;
  ProgramParts& operator=(const ProgramParts&) = delete;

  TempDir dir;
  std::filesystem::path appDir;       // with lang/ and ico/ copied from the repository
  std::filesystem::path settingsDir;  // where the configuration file lives
  std::unique_ptr<sim::SimNetwork> network;
  std::unique_ptr<TestRegistry> registry;
  std::unique_ptr<TestProcess> process;
  std::ostringstream statusLog;  // status lines of the automatic mode
  std::unique_ptr<app::Services> svc;
  std::unique_ptr<ui::ProgramState> g;
  std::unique_ptr<ui::ConnectWindow> main;
  std::unique_ptr<ui::ProgramWindows> windows;  // report, about box, help

  // The configuration file (claire.ini in the settings folder).
  [[nodiscard]] std::filesystem::path configPath() const;
  // Writes the configuration: lines given in UTF-8, stored in Windows-1252
  // with CR LF (fewer than 30 lines write a shorter file).
  void writeConfig(const std::vector<std::string>& lines) const;
  [[nodiscard]] std::vector<std::string> configLines() const;  // back in UTF-8
  // A drive line as the file stores it (password given in plain text).
  static std::string driveLine(const std::string& active, char letter, const std::string& login,
                               const std::string& password, const std::string& path);
  // 26 default drive lines and the four settings, with some drive lines replaced.
  static std::vector<std::string> config(const std::vector<std::pair<char, std::string>>& drives,
                                         const std::string& resident = "nres",
                                         const std::string& language = "langage_fr.txt");
  // The remote name a letter is connected to on the network, or "".
  [[nodiscard]] std::string connectedTo(char letter) const;
  // Connects a letter on the network as something before the program did
  // (an earlier session, the command line); true when the network took it.
  bool connectBeforehand(char letter, const std::string& share) const;
};

// The backend comes first, so that it outlives the windows.
struct HeadlessBackend {
  headless::HeadlessToolkit tk;
};

// The program on the headless backend, for behaviour tests.
class TestProgram : public HeadlessBackend, public ProgramParts {
 public:
  explicit TestProgram(const std::string& commandLine = "",
                       const sim::NetworkSpec& network = smallNetwork());

  // Loads the main window as the platform does at start; true when the
  // process ended on the way (the exit was caught).
  bool start();
  // Runs f; true when it ended the process.
  bool endsProcess(const std::function<void()>& f);

  // The next dialog: clicks the button of the answer and records its text
  // and title into the vectors below.
  void answerDialog(int answer);
  std::vector<std::string> dialogTexts;
  std::vector<std::string> dialogTitles;
  // Status window texts seen, in order, with the time each stayed up.
  struct Status {
    std::string text;
    std::int64_t shownMs;
  };
  std::vector<Status> statuses;
  // Lets the next status windows run out by themselves, recording them.
  void recordStatuses(int count);
};

}  // namespace quilbert::testing
