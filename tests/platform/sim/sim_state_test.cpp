// Connections outlive the process in the state file beside the description,
// shared safely by several processes.
#include <thread>

#include "platform/log.h"
#include "sim_test_support.h"

namespace quilbert::sim::testing {
namespace {

namespace err = platform::neterr;

class SimState : public ::testing::Test {
 protected:
  std::unique_ptr<SimNetwork> openNetwork() { return SimNetwork::open(description); }

  TempDir dir;
  fs::path description = dir.write("network.toml", kOffice);
};

TEST_F(SimState, ConnectionsOutliveTheInstanceThatMadeThem) {
  auto first = openNetwork();
  ASSERT_EQ(first->addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  first.reset();
  auto second = openNetwork();
  EXPECT_EQ(driveText(*second, 'Z'), R"(Z: 3 \\ATLAS\docs)");
  std::string remote;
  EXPECT_EQ(second->getConnection("Z:", remote), err::kOk);
}

TEST_F(SimState, EachCallSeesWhatAnotherInstanceChanged) {
  auto a = openNetwork();
  auto b = openNetwork();
  ASSERT_EQ(a->addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  EXPECT_EQ(b->addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0),
            err::kAlreadyAssigned);
  EXPECT_EQ(b->cancelConnection("Z:", 0, false), err::kOk);
  EXPECT_EQ(driveText(*a, 'Z'), "none");
}

TEST_F(SimState, TheStateFileIsReadableTomlBesideTheDescription) {
  auto net = openNetwork();
  EXPECT_EQ(net->statePath(), dir.path() / "network.state");
  ASSERT_EQ(net->addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  ASSERT_EQ(net->addConnection(diskResource("Y:", R"(\\ATLAS\paie)"), "tulipe", "claire", 0),
            err::kOk);
  const std::string text = dir.read("network.state");
  EXPECT_NE(text.find("[connections]\n"
                      "Y = { remote = '\\\\ATLAS\\paie', user = 'claire' }\n"
                      "Z = { remote = '\\\\ATLAS\\docs', user = 'Claire' }\n"),
            std::string::npos)
      << text;
  EXPECT_FALSE(fs::exists(dir.path() / "network.state.tmp")) << "the temporary was renamed";
}

TEST_F(SimState, AHandWrittenStateFileIsTheSessionsConnections) {
  dir.write("network.state",
            "[connections]\n"
            "Y = '\\\\ATLAS\\docs'\n"
            "x = { remote = \"\\\\\\\\ATLAS\\\\paie\", user = \"compta\" }\n");
  auto net = openNetwork();
  EXPECT_EQ(driveText(*net, 'Y'), R"(Y: 3 \\ATLAS\docs)");
  EXPECT_EQ(driveText(*net, 'X'), R"(X: 3 \\ATLAS\paie)");
  EXPECT_EQ(net->addConnection(diskResource("Y:", R"(\\ATLAS\docs)"), "", "", 0),
            err::kAlreadyAssigned);
  EXPECT_EQ(net->addConnection(diskResource("W:", R"(\\ATLAS\docs)"), "", "", 0),
            err::kSessionCredentialConflict)
      << "ATLAS has connections as Claire (Y, no user written) and as compta (X)";
}

TEST_F(SimState, NamesThatTomlMustEscapeSurviveTheFile) {
  NetworkSpec spec = generatedNetwork(1, 1, 1);
  spec.providers[0].workgroups[0].servers[0].shares[0].name = "it's \"odd\"";
  SimNetwork net(spec, dir.path() / "odd.state");
  const std::string remote = "\\\\GEN01-SRV001\\it's \"odd\"";
  ASSERT_EQ(net.addConnection(diskResource("Z:", remote), "", "l'\xff\tuser", 0), err::kOk);
  std::string back;
  EXPECT_EQ(net.getConnection("Z:", back), err::kOk);
  EXPECT_EQ(back, remote);
  std::string user;
  std::uint32_t length = 64;
  EXPECT_EQ(net.getUser("Z:", user, length), err::kOk);
  EXPECT_EQ(user, std::string("l'?\tuser\0", 9)) << "a byte that is not UTF-8 becomes ?";
}

TEST_F(SimState, MalformedUtf8InANameStillWritesAReadableFile) {
  NetworkSpec spec = generatedNetwork(1, 1, 1);
  SimNetwork net(spec, dir.path() / "strict.state");
  const std::string remote = "\\\\GEN01-SRV001\\share001";
  for (const std::string bad : {"\xc1\x90", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
    ASSERT_EQ(net.addConnection(diskResource("Z:", remote), "", "u" + bad, 0), err::kOk);
    std::string back;
    EXPECT_EQ(net.getConnection("Z:", back), err::kOk) << "the file reads back";
    std::string user;
    std::uint32_t length = 64;
    EXPECT_EQ(net.getUser("Z:", user, length), err::kOk);
    EXPECT_EQ(user, "u" + std::string(bad.size(), '?') + std::string(1, '\0'));
    ASSERT_EQ(net.cancelConnection("Z:", 0, true), err::kOk);
  }
}

TEST_F(SimState, AMissingStateFileMeansNoConnections) {
  auto net = openNetwork();
  ::testing::internal::CaptureStderr();
  for (char l = 'A'; l <= 'Z'; ++l) {
    if (l != 'C' && l != 'D') {
      EXPECT_EQ(driveText(*net, l), "none");
    }
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SimState, ACorruptStateFileIsNoConnectionsAndSaidOnce) {
  for (const char* corrupt :
       {"[connections\n", "[connections]\nZZ = '\\\\ATLAS\\docs'\n",
        "[connections]\nZ = 'ATLAS\\docs'\n", "[connections]\nZ = 3\n",
        "[connections]\nZ = { remote = '\\\\A\\b', colour = 'red' }\n",
        "[connections]\nZ = '\\\\A\\b'\nz = '\\\\A\\c'\n", "Z = '\\\\A\\b'\n",
        // Bytes that once crashed the TOML library, and malformed UTF-8.
        "[\n", "\xd2\x89", "\xc5\xa2", "[connections]\nZ = '\\\\A\\b\xc0\x80'\n"}) {
    dir.write("network.state", corrupt);
    auto net = openNetwork();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(driveText(*net, 'Z'), "none") << corrupt;
    EXPECT_EQ(driveText(*net, 'Z'), "none");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "quilbert: the connection state file " + net->statePath().string() +
                        " is corrupt; it is taken as holding no connection\n")
        << corrupt;
  }
}

TEST_F(SimState, ACapturedDiagnosticReachesTheCaptureNotStderr) {
  dir.write("network.state", "garbage");
  auto net = openNetwork();
  ::testing::internal::CaptureStderr();
  {
    platform::LogCapture log;
    EXPECT_EQ(driveText(*net, 'Z'), "none");
    EXPECT_EQ(log.text(), "the connection state file " + net->statePath().string() +
                              " is corrupt; it is taken as holding no connection\n");
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SimState, ConnectingOverACorruptStateFileRewritesIt) {
  dir.write("network.state", "garbage");
  auto net = openNetwork();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(net->addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(driveText(*openNetwork(), 'Z'), R"(Z: 3 \\ATLAS\docs)");
}

TEST_F(SimState, AStateFileThatCannotBeWrittenRefusesTheConnection) {
  SimNetwork net(readDescription(description), dir.path() / "missing" / "network.state");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(net.addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0),
            err::kAccessDenied);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("missing"), std::string::npos);
  EXPECT_EQ(driveText(net, 'Z'), "none");
}

TEST_F(SimState, AnInMemoryNetworkKeepsItsConnectionsToItself) {
  SimNetwork a(readDescription(description));
  SimNetwork b(readDescription(description));
  ASSERT_EQ(a.addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  EXPECT_EQ(driveText(a, 'Z'), R"(Z: 3 \\ATLAS\docs)");
  EXPECT_EQ(driveText(b, 'Z'), "none");
  EXPECT_FALSE(fs::exists(dir.path() / "network.state"));
}

// Two writers, each with its own view of the file as two processes have,
// connect and disconnect their own letters over and over; with the lock,
// neither loses the other's connections.
TEST_F(SimState, TwoWritersDoNotLoseEachOthersConnections) {
  auto churn = [&](char first, char last) {
    auto net = openNetwork();
    bool ok = true;
    for (int round = 0; round < 4; ++round) {
      for (char l = first; l <= last; ++l) {
        const std::string local{l, ':'};
        ok = ok && net->addConnection(diskResource(local, R"(\\ATLAS\docs)"), "", "", 0) == 0;
        if (round < 3) ok = ok && net->cancelConnection(local, 0, false) == 0;
      }
    }
    return ok;
  };
  bool otherOk = false;
  std::thread other([&] { otherOk = churn('N', 'Z'); });
  const bool ok = churn('E', 'M');
  other.join();
  EXPECT_TRUE(ok);
  EXPECT_TRUE(otherOk);
  auto net = openNetwork();
  for (char l = 'E'; l <= 'Z'; ++l)
    EXPECT_EQ(driveText(*net, l), std::string{l} + R"(: 3 \\ATLAS\docs)");
}

}  // namespace
}  // namespace quilbert::sim::testing
