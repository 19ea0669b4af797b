// The installed program: `cmake --install` into a temporary prefix, then the
// program started from another folder finds its language files through
// ../share/quilbert and connects on a simulated network.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/shell_command.h"
#include "support/test_program.h"

namespace quilbert {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(Install, TheInstalledProgramFindsItsFilesFromAnywhere) {
  if (!fs::exists(fs::path(QUILBERT_BINARY_DIR) / "quilbert")) GTEST_SKIP() << "built without Qt";
  TempDir dir;
  const fs::path prefix = dir.path() / "prefix";
  const auto installed =
      testing::runShell(std::string("'") + QUILBERT_CMAKE + "' --install '" + QUILBERT_BINARY_DIR +
                        "' --prefix '" + prefix.string() + "'");
  ASSERT_EQ(installed.exitCode, 0) << installed.output;
  EXPECT_TRUE(fs::exists(prefix / "share/applications/org.example.quilbert.desktop"));
  EXPECT_TRUE(fs::exists(prefix / "share/icons/hicolor/48x48/apps/quilbert.png"));
  EXPECT_EQ(fs::canonical(prefix / "share/quilbert/quilbert"),
            fs::canonical(prefix / "bin/quilbert"));

  fs::create_directories(dir.path() / "elsewhere");
  fs::create_directories(dir.path() / "run");
  fs::permissions(dir.path() / "run", fs::perms::owner_all);
  writeFile(dir.path() / "network.toml",
            "user = \"Claire\"\n[[server]]\nname = \"SRV\"\n[[server.share]]\nname = \"docs\"\n");
  std::string config;
  for (char c = 'A'; c <= 'Z'; ++c) {
    config += c == 'F' ? "1\tF\t\t\t\\\\SRV\\docs\r\n" : std::string("0\t") + c + "\t\t\t\r\n";
  }
  config += "ide\r\nwindows\r\nlangage_gb.txt\r\nnres\r\n";
  writeFile(dir.path() / "config" / "quilbert" / "claire.ini", config);
  const auto run = testing::runShell(
      "cd '" + (dir.path() / "elsewhere").string() +
      "' && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" +
      (dir.path() / "config").string() + "' XDG_RUNTIME_DIR='" + (dir.path() / "run").string() +
      "' QUILBERT_NETWORK='sim:" + (dir.path() / "network.toml").string() + "' timeout 30 '" +
      (prefix / "bin/quilbert").string() + "' /a");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  // The English status text comes from the installed language file.
  EXPECT_NE(run.output.find("Drives connected : 1/1"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace quilbert
