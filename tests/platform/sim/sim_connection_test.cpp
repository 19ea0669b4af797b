// Connecting, cancelling, the user name and the drive letters answer with the
// codes Windows gives.
#include "sim_test_support.h"

namespace quilbert::sim::testing {
namespace {

namespace err = platform::neterr;

class SimConnection : public ::testing::Test {
 protected:
  int add(const std::string& local, const std::string& remote, const std::string& user = "",
          const std::string& password = "") {
    return net->addConnection(diskResource(local, remote), password, user, 0);
  }
  int cancel(const std::string& local, bool force = false) {
    return net->cancelConnection(local, platform::kConnectUpdateProfile, force);
  }

  TempDir dir;
  std::unique_ptr<SimNetwork> net = SimNetwork::open(dir.write("network.toml", kOffice));
};

TEST_F(SimConnection, AnOpenShareConnectsWithNoCredentials) {
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  std::string remote;
  EXPECT_EQ(net->getConnection("Z:", remote), err::kOk);
  EXPECT_EQ(remote, R"(\\ATLAS\docs)");
}

TEST_F(SimConnection, NamesAreComparedWithoutRegardToCase) {
  EXPECT_EQ(add("z:", R"(\\atlas\DOCS)"), err::kOk);
  std::string remote;
  EXPECT_EQ(net->getConnection("Z:", remote), err::kOk);
  EXPECT_EQ(remote, R"(\\atlas\DOCS)") << "kept as the caller wrote it";
}

TEST_F(SimConnection, ALocalNameThatIsNotALetterAndAColonIsABadDevice) {
  for (const char* bad : {"", "Z", "ZZ:", "1:", "Z:\\", ":"}) {
    EXPECT_EQ(add(bad, R"(\\ATLAS\docs)"), err::kBadDevice) << bad;
  }
}

TEST_F(SimConnection, ALetterTakenByALocalDriveOrAConnectionIsAlreadyAssigned) {
  EXPECT_EQ(add("C:", R"(\\ATLAS\docs)"), err::kAlreadyAssigned);
  EXPECT_EQ(add("d:", R"(\\ATLAS\docs)"), err::kAlreadyAssigned);
  ASSERT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kAlreadyAssigned);
}

TEST_F(SimConnection, ServersAndSharesThatCannotBeFoundAnswerTheirOwnCodes) {
  EXPECT_EQ(add("Z:", R"(\\ZEUS\docs)"), err::kBadNetPath);
  EXPECT_EQ(add("Z:", R"(\\HERMES\archives)"), err::kNetworkUnreachable);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\nothing)"), err::kBadNetName);
  EXPECT_EQ(add("Z:", R"(\\ATLAS)"), err::kBadNetName);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\)"), err::kBadNetName);
  EXPECT_EQ(add("Z:", R"(ATLAS\docs)"), err::kBadNetName);
  EXPECT_EQ(add("Z:", R"(\\\docs)"), err::kBadNetName);
  EXPECT_EQ(add("Z:", ""), err::kBadNetName);
}

TEST_F(SimConnection, FoldersInsideAShareCanBeMapped) {
  EXPECT_EQ(add("Y:", R"(\\ATLAS\docs\Projets\2024)"), err::kOk);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs\Nowhere)"), err::kBadNetName);
}

TEST_F(SimConnection, ARestrictedShareChecksTheAccount) {
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "nobody", "x"), err::kLogonFailure);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "compta", "wrong"), err::kInvalidPassword);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "compta", "Bilan"), err::kInvalidPassword)
      << "passwords are compared exactly";
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "COMPTA", "bilan"), err::kOk);
}

TEST_F(SimConnection, ADomainQualifiedUserNameIsTheUserItNames) {
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", R"(BUREAU\compta)", "bilan"), err::kOk);
}

TEST_F(SimConnection, AnEmptyUserNameUsesTheLogonSession) {
  // Her logon credentials open what her account may open...
  EXPECT_EQ(add("Y:", R"(\\ATLAS\paie)"), err::kOk);
  ASSERT_EQ(cancel("Y:"), err::kOk);
  // ...a password typed without a user name is checked against her account...
  EXPECT_EQ(add("Y:", R"(\\ATLAS\paie)", "", "wrong"), err::kInvalidPassword);
  EXPECT_EQ(add("Y:", R"(\\ATLAS\paie)", "", "tulipe"), err::kOk);
  // ...and a share that does not know her and takes no guests refuses her.
  EXPECT_EQ(add("X:", R"(\\ATLAS\C$)"), err::kLogonFailure);
}

TEST_F(SimConnection, AnOpenShareTakesUnknownUsersAsGuests) {
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)", "visitor", "anything"), err::kOk);
}

TEST_F(SimConnection, HiddenSharesAreConnectable) {
  EXPECT_EQ(add("Z:", R"(\\ATLAS\C$)", "admin", "root"), err::kOk);
}

TEST_F(SimConnection, ASecondUserOnTheSameServerIsACredentialConflict) {
  ASSERT_EQ(add("Y:", R"(\\ATLAS\docs)"), err::kOk);  // as Claire
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "compta", "bilan"), err::kSessionCredentialConflict);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\nothing)", "compta", "bilan"), err::kSessionCredentialConflict)
      << "the session is refused before the share is looked up";
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "claire", "tulipe"), err::kOk);
  ASSERT_EQ(cancel("Y:"), err::kOk);
  ASSERT_EQ(cancel("Z:"), err::kOk);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\paie)", "compta", "bilan"), err::kOk)
      << "no conflict once the server has no connection left";
}

TEST_F(SimConnection, CancellingALetterWithoutAConnectionAnswersNotConnected) {
  EXPECT_EQ(cancel("Z:"), err::kNotConnected);
  EXPECT_EQ(cancel("C:"), err::kNotConnected) << "a local drive";
  EXPECT_EQ(cancel("bad"), err::kNotConnected);
}

TEST_F(SimConnection, CancellingRemovesTheConnection) {
  ASSERT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  EXPECT_EQ(cancel("z:"), err::kOk);
  std::string remote;
  EXPECT_EQ(net->getConnection("Z:", remote), err::kNotConnected);
  EXPECT_EQ(cancel("Z:"), err::kNotConnected);
}

TEST_F(SimConnection, OpenFilesRefuseACancelUnlessForced) {
  ASSERT_EQ(add("P:", R"(\\ATLAS\projets)"), err::kOk);
  EXPECT_EQ(cancel("P:"), err::kOpenFiles);
  EXPECT_TRUE(net->getDrive('P').has_value()) << "the connection stays";
  EXPECT_EQ(cancel("P:", true), err::kOk);
  EXPECT_FALSE(net->getDrive('P').has_value());
}

TEST_F(SimConnection, GetUserWritesTheLogonUserAndANul) {
  std::string buffer(255, ' ');
  std::uint32_t length = 255;
  EXPECT_EQ(net->getUser("", buffer, length), err::kOk);
  EXPECT_EQ(buffer.size(), 255U);
  EXPECT_EQ(buffer.substr(0, 8), std::string("Claire\0 ", 8));
  EXPECT_EQ(length, 255U);
}

TEST_F(SimConnection, GetUserAsksForMoreRoomWhenTheBufferIsTooSmall) {
  std::string buffer = "xxxxxx";
  std::uint32_t length = 6;
  EXPECT_EQ(net->getUser("", buffer, length), err::kMoreData);
  EXPECT_EQ(length, 7U) << "the name and its NUL";
  EXPECT_EQ(buffer, "xxxxxx");
  EXPECT_EQ(net->getUser("", buffer, length), err::kOk);
  EXPECT_EQ(buffer, std::string("Claire\0", 7));
}

TEST_F(SimConnection, GetUserOfAConnectedLetterIsTheUserItWasMadeAs) {
  ASSERT_EQ(add("Z:", R"(\\ATLAS\paie)", "compta", "bilan"), err::kOk);
  std::string buffer;
  std::uint32_t length = 255;
  EXPECT_EQ(net->getUser("Z:", buffer, length), err::kOk);
  EXPECT_EQ(buffer, std::string("compta\0", 7));
  EXPECT_EQ(net->getUser(R"(\\atlas\paie)", buffer, length), err::kOk);
  EXPECT_EQ(net->getUser("Y:", buffer, length), err::kNotConnected);
}

TEST_F(SimConnection, GetConnectionRefusesABadLocalName) {
  std::string remote = "unchanged";
  EXPECT_EQ(net->getConnection("ZZ", remote), err::kBadDevice);
  EXPECT_EQ(net->getConnection("C:", remote), err::kNotConnected);
  EXPECT_EQ(remote, "unchanged");
}

TEST_F(SimConnection, DrivesShowLocalTypesAndConnectedShares) {
  ASSERT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  EXPECT_EQ(driveText(*net, 'C'), "C: 2");
  EXPECT_EQ(driveText(*net, 'd'), "D: 4");
  EXPECT_EQ(driveText(*net, 'Z'), R"(Z: 3 \\ATLAS\docs)");
  EXPECT_EQ(driveText(*net, 'E'), "none");
  EXPECT_EQ(driveText(*net, '1'), "none");
}

TEST(SimNoNetwork, AnswersNoNetworkAndKeepsItsLocalDrives) {
  NetworkSpec spec;
  spec.present = false;
  spec.drives[2] = 2;
  SimNetwork net(spec);
  std::string buffer(255, ' ');
  std::uint32_t length = 255;
  EXPECT_EQ(net.getUser("", buffer, length), err::kNoNetwork);
  platform::EnumHandle h = 0;
  EXPECT_EQ(net.openEnum(platform::kScopeGlobalNet, 0, 0, nullptr, h), err::kNoNetwork);
  EXPECT_EQ(net.addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kNoNetwork);
  EXPECT_EQ(net.addConnection(diskResource("ZZ", R"(\\ATLAS\docs)"), "", "", 0), err::kBadDevice);
  EXPECT_EQ(net.cancelConnection("Z:", 1, false), err::kNotConnected);
  std::string remote;
  EXPECT_EQ(net.getConnection("Z:", remote), err::kNoNetwork);
  EXPECT_EQ(driveText(net, 'C'), "C: 2");
  EXPECT_EQ(driveText(net, 'Z'), "none");
}

TEST(SimNoNetwork, CanBeDescribedInAFile) {
  TempDir dir;
  auto net = SimNetwork::open(dir.write("n.toml", "network = false\n[drives]\nC = 2\n"));
  std::string buffer;
  std::uint32_t length = 255;
  EXPECT_EQ(net->getUser("", buffer, length), err::kNoNetwork);
  EXPECT_TRUE(net->getDrive('C').has_value());
}

}  // namespace
}  // namespace quilbert::sim::testing
