// The built program, run as a log-on script would run it: "quilbert /a" on a
// simulated network in a temporary folder, offscreen.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "support/shell_command.h"
#include "support/test_program.h"

namespace quilbert {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

testing::CommandRun runProgram(const fs::path& dir, const std::string& args) {
  const fs::path exe = fs::path(QUILBERT_BINARY_DIR) / "quilbert";
  const std::string command =
      "cd '" + dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY" +
      " QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + (dir / "config").string() +
      "' XDG_RUNTIME_DIR='" + (dir / "run").string() +
      "' QUILBERT_NETWORK_WAIT=0 QUILBERT_NETWORK='sim:" + (dir / "network.toml").string() +
      "' timeout 30 '" + exe.string() + "' " + args;
  return testing::runShell(command);
}

TEST(EndToEnd, AutomaticModeConnectsTheActiveEntriesAndEndsByItself) {
  if (!fs::exists(fs::path(QUILBERT_BINARY_DIR) / "quilbert")) GTEST_SKIP() << "built without Qt";
  TempDir dir;
  fs::create_directories(dir.path() / "run");
  fs::permissions(dir.path() / "run", fs::perms::owner_all);
  writeFile(dir.path() / "network.toml", R"(user = "Claire"
[drives]
C = "fixed"
[[workgroup]]
name = "MAISON"
[[server]]
name = "SRV"
[[server.share]]
name = "docs"
[[server.share]]
name = "photos"
users = { claire = "secret" }
[[server]]
name = "OFF"
reachable = false
[[server.share]]
name = "data"
)");
  std::string config;
  const auto line = [](char letter, const std::string& path) {
    return std::string("1\t") + letter + "\tclaire\t" + "ph`ubw" + "\t" + path + "\r\n";
  };
  for (char c = 'A'; c <= 'Z'; ++c) {
    if (c == 'E') {
      config += line('E', "\\\\SRV\\photos");
    } else if (c == 'F') {
      config += line('F', "\\\\SRV\\docs");
    } else if (c == 'G') {
      config += line('G', "\\\\OFF\\data");
    } else {
      config += std::string("0\t") + c + "\t\t\t\r\n";
    }
  }
  config += "ide\r\nwindows\r\nlangage_gb.txt\r\nnres\r\n";
  writeFile(dir.path() / "config" / "quilbert" / "claire.ini", config);

  const testing::CommandRun run = runProgram(dir.path(), "/a");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::string state = readFile(dir.path() / "network.state");
  EXPECT_NE(state.find("E = { remote = '\\\\SRV\\photos'"), std::string::npos) << state;
  EXPECT_NE(state.find("F = { remote = '\\\\SRV\\docs'"), std::string::npos) << state;
  EXPECT_EQ(state.find("G ="), std::string::npos) << state;
  EXPECT_NE(run.output.find("2/3"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("secret"), std::string::npos);
}

TEST(EndToEnd, AMalformedNetworkDescriptionStopsTheStartWithOneMessage) {
  if (!fs::exists(fs::path(QUILBERT_BINARY_DIR) / "quilbert")) GTEST_SKIP() << "built without Qt";
  TempDir dir;
  fs::create_directories(dir.path() / "run");
  fs::permissions(dir.path() / "run", fs::perms::owner_all);
  writeFile(dir.path() / "network.toml", "user = \"Claire\"\n[[server]]\nnme = \"X\"\n");
  const testing::CommandRun run = runProgram(dir.path(), "/a");
  EXPECT_NE(run.exitCode, 0);
  EXPECT_TRUE(std::regex_search(run.output, std::regex("network\\.toml:[0-9]+: .*name")))
      << run.output;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "config" / "quilbert" / "claire.ini"));
}

}  // namespace
}  // namespace quilbert
