// The real network service against a real Samba server through the desktop's
// mounts: every code it gives comes from the server or the system.
#include "platform/smb/smb_network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "samba_server.h"

namespace quilbert::smb {
namespace {

namespace fs = std::filesystem;
using platform::NetResource;
namespace neterr = platform::neterr;
using testing::server;

NetResource disk(const std::string& local, const std::string& remote) {
  NetResource r;
  r.type = platform::kTypeDisk;
  r.localName = local;
  r.remoteName = remote;
  return r;
}

std::string unc(const std::string& host, const std::string& path) {
  return "\\\\" + host + "\\" + path;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The shares gvfs holds mounted: the folders of its FUSE root.
std::vector<std::string> shareMounts() {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& e : fs::directory_iterator(server().runtimeFolder() / "gvfs", error)) {
    found.push_back(e.path().filename());
  }
  return found;
}

class SmbNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server().running()) GTEST_SKIP() << server().failure();
    fs::remove_all(server().drivesFolder());
  }
  void TearDown() override {
    if (!server().running()) return;
    for (char c = 'A'; c <= 'Z'; ++c) net.cancelConnection(std::string(1, c) + ":", 0, true);
    EXPECT_EQ(shareMounts(), std::vector<std::string>{}) << "a share is still mounted";
  }
  static SmbOptions options() {
    SmbOptions o;
    o.drivesFolder = server().drivesFolder();
    o.port = testing::kPort;
    o.timeoutMs = 1000;
    o.logonUser = "claire";
    o.mdns = false;
    o.configuredRemotes = [] { return std::vector<std::string>{unc(testing::kServer, "docs")}; };
    return o;
  }
  int connect(char letter, const std::string& remote, const std::string& user = "",
              const std::string& password = "") {
    return net.addConnection(disk(std::string(1, letter) + ":", remote), password, user, 0);
  }
  fs::path letter(char l) const { return server().drivesFolder() / std::string(1, l); }

  SmbNetwork net{options()};
};

TEST_F(SmbNetworkTest, AGuestLetterReachesTheShareAndGoesWithItsMount) {
  ASSERT_EQ(connect('P', unc(testing::kServer, "public")), neterr::kOk);
  std::ofstream(letter('P') / "hello.txt") << "written through P:";
  EXPECT_EQ(readFile(server().shareFolder("public") / "hello.txt"), "written through P:");

  std::string remote;
  EXPECT_EQ(net.getConnection("p:", remote), neterr::kOk);
  EXPECT_EQ(remote, "\\\\127.0.0.1\\public");
  const auto drive = net.getDrive('P');
  ASSERT_TRUE(drive);
  EXPECT_EQ(drive->type, 3);
  EXPECT_EQ(drive->shareName, remote);
  std::string user(32, '\0');
  std::uint32_t length = 32;
  EXPECT_EQ(net.getUser("P:", user, length), neterr::kOk);
  EXPECT_EQ(user.c_str(), std::string("claire"));  // a guest letter counts as the logged-on user

  EXPECT_EQ(connect('P', unc(testing::kServer, "docs"), "alice", testing::kAlicePassword),
            neterr::kAlreadyAssigned);
  EXPECT_EQ(net.cancelConnection("P:", 0, false), neterr::kOk);
  EXPECT_FALSE(fs::exists(fs::symlink_status(letter('P'))));
  EXPECT_EQ(net.cancelConnection("P:", 0, false), neterr::kNotConnected);
  EXPECT_EQ(net.getConnection("P:", remote), neterr::kNotConnected);
  EXPECT_FALSE(net.getDrive('P'));
}
}  // namespace
}  // namespace quilbert::smb
