// The built quilbert-cli on the demo network: what a script reads from
// status and browse, in the configuration's language, the configuration
// never written.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/sim/sim_network.h"
#include "support/drive_maps_sample.h"
#include "support/shell_command.h"
#include "support/test_program.h"

namespace quilbert {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

testing::CommandRun runCli(const fs::path& dir, const std::string& args, bool errors = false) {
  const std::string command = "cd '" + dir.string() + "' && XDG_CONFIG_HOME='" +
                              (dir / "config").string() + "' XDG_RUNTIME_DIR='" + dir.string() +
                              "' QUILBERT_NETWORK='sim:" + (dir / "network.toml").string() +
                              "' timeout 30 '" +
                              (fs::path(QUILBERT_BINARY_DIR) / "quilbert-cli").string() + "' " +
                              args + (errors ? " 2>&1" : " 2>/dev/null");
  return testing::runShell(command);
}

// A copy of the demo network and a configuration whose active letters are
// `paths`, in English; returns the configuration file.
fs::path demoWith(const fs::path& dir, const std::map<char, std::string>& paths,
                  const std::string& language = "langage_gb.txt") {
  fs::copy_file(fs::path(QUILBERT_SOURCE_DIR) / "demo" / "network.toml", dir / "network.toml");
  std::string config;
  for (char c = 'A'; c <= 'Z'; ++c) {
    config += paths.contains(c) ? std::string("1\t") + c + "\t\t\t" + paths.at(c) + "\r\n"
                                : std::string("0\t") + c + "\t\t\t\r\n";
  }
  const fs::path file = dir / "config" / "quilbert" / "claire.ini";
  testing::writeFile(file, config + "ide\r\nwindows\r\n" + language + "\r\nnres\r\n");
  return file;
}

// Letters connected on that network, as an earlier session left them.
void connectOnDemo(const fs::path& dir, const std::map<std::string, std::string>& letters) {
  auto net = sim::SimNetwork::open(dir / "network.toml");
  net->setReachable("HERMES", true);  // on then, switched off since
  for (const auto& [local, remote] : letters) {
    platform::NetResource r;
    r.type = platform::kTypeDisk;
    r.localName = local;
    r.remoteName = remote;
    ASSERT_EQ(net->addConnection(r, "", "", 0), 0) << local;
  }
}

TEST(CommandLine, StatusAndBrowseOnTheDemoNetwork) {
  testing::TempDir dir;
  // Active letters in every state a letter can be in.
  const fs::path configFile = demoWith(dir.path(), {{'D', "\\\\ATLAS\\public"},
                                                    {'F', "\\\\ATLAS\\documents"},
                                                    {'G', "\\\\MINERVE\\claire"},
                                                    {'H', "\\\\ATLAS\\public"},
                                                    {'P', "\\\\HERMES\\archives"},
                                                    {'Q', "\\\\ATLAS\\nothing"},
                                                    {'R', "\\\\HERMES\\archives"}});
  const std::string config = testing::readFile(configFile);
  connectOnDemo(dir.path(), {{"F:", "\\\\ATLAS\\documents"},
                             {"G:", "\\\\ATLAS\\public"},
                             {"R:", "\\\\HERMES\\archives"}});

  const testing::CommandRun status = runCli(dir.path(), "status --json");
  EXPECT_EQ(status.exitCode, 32 + 5) << "R's server does not answer: " << status.output;
  const json answer = json::parse(status.output);
  struct Expected {
    const char* letter;
    bool connected;
    int code;
    const char* reason;
  };
  const Expected expected[] = {
      {"D", false, 85, "This drive letter is already assigned."},  // the CD-ROM drive
      {"F", true, 0, ""},
      {"G", false, 85, "This drive letter is already assigned."},  // another share
      {"H", false, 2250, "This drive letter is not connected."},
      {"P", false, 1231, "Network unreachable."},
      {"Q", false, 67, "Network path not found."},
      {"R", true, 0, ""}};
  ASSERT_EQ(answer["letters"].size(), std::size(expected)) << status.output;
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const json& item = answer["letters"][i];
    EXPECT_EQ(item["letter"], expected[i].letter);
    EXPECT_EQ(item["connected"], expected[i].connected) << expected[i].letter;
    EXPECT_EQ(item.value("code", 0), expected[i].code) << expected[i].letter;
    EXPECT_EQ(item.value("reason", ""), expected[i].reason) << expected[i].letter;
  }
  EXPECT_EQ(answer["letters"][2]["to"], "\\\\ATLAS\\public");
  EXPECT_EQ(answer["letters"][6]["serverAnswers"], false);
  EXPECT_EQ(answer["letters"][1].count("serverAnswers"), 0U);
  EXPECT_NE(runCli(dir.path(), "status")
                .output.find("R: \\\\HERMES\\archives  connected, server not answering  ["),
            std::string::npos);

  const json workgroups = json::parse(runCli(dir.path(), "browse --json").output)["workgroups"];
  ASSERT_EQ(workgroups.size(), 1U);
  EXPECT_EQ(workgroups[0]["name"], "BUREAU");
  std::vector<std::string> servers;
  for (const json& s : workgroups[0]["servers"]) servers.push_back(s["name"]);
  EXPECT_EQ(servers, (std::vector<std::string>{"\\\\ATLAS", "\\\\MINERVE", "\\\\HERMES"}));
  const testing::CommandRun shares = runCli(dir.path(), "browse //atlas");
  EXPECT_EQ(shares.exitCode, 0);
  EXPECT_EQ(shares.output,
            "[Share] \\\\ATLAS\\documents (Shared documents)\n"
            "[Share] \\\\ATLAS\\paie (Payroll (accounting only))\n"
            "[Share] \\\\ATLAS\\projets (Current projects)\n"
            "[Share] \\\\ATLAS\\public (Everyone's share)\n");

  // Read, never written: a user without a configuration keeps having none.
  EXPECT_EQ(testing::readFile(configFile), config);
  fs::remove(configFile);
  EXPECT_EQ(runCli(dir.path(), "status").exitCode, 0);
  EXPECT_FALSE(fs::exists(configFile));
}

// Disconnecting never forces open files: that letter stays, and says why.
TEST(CommandLine, DisconnectLeavesALetterWithOpenFiles) {
  testing::TempDir dir;
  demoWith(dir.path(), {});
  connectOnDemo(dir.path(), {{"F:", "\\\\ATLAS\\documents"}, {"G:", "\\\\ATLAS\\projets"}});
  const testing::CommandRun run = runCli(dir.path(), "disconnect");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output,
            "F: \\\\ATLAS\\documents  Disconnected\n"
            "G: \\\\ATLAS\\projets  Files are open on this drive: close them and try again.\n");
  std::string remote;
  EXPECT_EQ(sim::SimNetwork::open(dir.path() / "network.toml")->getConnection("G:", remote), 0);
}

// Connecting is the automatic run without a window: every active letter is
// dropped and connected again, each outcome in the catalogue's words.
TEST(CommandLine, ConnectIsTheAutomaticRunWithoutAWindow) {
  testing::TempDir dir;
  demoWith(dir.path(), {{'F', "\\\\ATLAS\\documents"},
                        {'G', "\\\\ATLAS\\projets"},
                        {'H', "\\\\ATLAS\\paie"},
                        {'P', "\\\\HERMES\\archives"}});
  connectOnDemo(dir.path(), {{"G:", "\\\\ATLAS\\public"}});
  const testing::CommandRun run = runCli(dir.path(), "connect");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.output,
            "F: \\\\ATLAS\\documents  Connected\n"
            "G: \\\\ATLAS\\projets  Connected\n"
            "H: \\\\ATLAS\\paie  Wrong login or password.\n"
            "P: \\\\HERMES\\archives  Network unreachable.\n"
            "Drives connected : 2/4\n");
  EXPECT_EQ(runCli(dir.path(), "connect z Z:").exitCode, 1);  // no path for Z, named twice
}

// What a French user reads: the help, a misspelt command named, and the
// letters a connect could not even try (a local drive, a refused login's
// second letter), each told; a server named through a shell's double quotes
// is still that server.
TEST(CommandLine, SpeaksTheConfigurationsLanguageAndTellsEveryLetter) {
  testing::TempDir dir;
  demoWith(dir.path(), {{'G', "\\\\ATLAS\\paie"}, {'H', "\\\\ATLAS\\paie\\Courrier"}},
           "langage_fr.txt");
  struct Case {
    const char* args;
    int exitCode;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {"--help", 0, {"Utilisation", "chaque lettre cochée"}},
      {"statsu", 106, {"Commande inconnue : statsu"}},  // CLI11's code for a usage error
      {"passwords", 106, {"passwords demande --to-keyring ou --to-file"}},
      {"import --dry-run", 106, {"import demande le Drives.xml à lire"}},
      {"connect D", 1, {"Lecteur local de ce poste : CD-ROM (D:)"}},
      {"connect",
       2,
       {"G: \\\\ATLAS\\paie  Login ou mot de passe incorrect.",
        "H: \\\\ATLAS\\paie\\Courrier  Login ou mot de passe incorrect."}},
      {"browse \"\\\\HERMES\"", 1, {"Réseau injoignable. (\\\\HERMES)"}},
  };
  for (const Case& c : cases) {
    const testing::CommandRun run = runCli(dir.path(), c.args, true);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args << "\n" << run.output;
    for (const std::string& text : c.said) {
      EXPECT_NE(run.output.find(text), std::string::npos) << c.args << "\n" << run.output;
    }
  }
}

// The dry run tells letter by letter and writes nothing; the import writes
// what the same file gives under Wine (ProgramUnderWine).
TEST(CommandLine, ImportTellsItsDryRunThenWritesTheTable) {
  testing::TempDir dir;
  const fs::path configFile = demoWith(dir.path(), {});
  testing::writeFile(dir.path() / "Drives.xml", testing::kDriveMapsSample);
  const testing::CommandRun dry = runCli(dir.path(), "import Drives.xml --dry-run");
  EXPECT_EQ(dry.exitCode, 0);
  EXPECT_EQ(dry.output.substr(0, dry.output.find("Line 2")),
            "F: created: \\\\ATLAS\\documents, login BUREAU\\claire, password from the policy "
            "(line 2)\nG: created: \\\\MINERVE\\scans (line 3)\nH: created: \\\\ATLAS\\public, "
            "inactive (line 4)\n");
  EXPECT_NE(dry.output.find("Dry run: nothing was written."), std::string::npos);
  EXPECT_EQ(testing::readFile(configFile), testing::emptyEnglishConfig());
  EXPECT_EQ(runCli(dir.path(), "import Drives.xml").exitCode, 0);
  EXPECT_EQ(testing::readFile(configFile), testing::importedSampleConfig());
}

}  // namespace
}  // namespace quilbert
