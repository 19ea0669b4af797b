// Fault switches make chosen calls fail, and the network can change while it runs.
#include "sim_test_support.h"

namespace quilbert::sim::testing {
namespace {

namespace err = platform::neterr;

class SimFaults : public ::testing::Test {
 protected:
  int add(const std::string& local, const std::string& remote) {
    return net.addConnection(diskResource(local, remote), "", "", 0);
  }

  SimNetwork net{parseDescription(kOffice, "office.toml")};
};

TEST_F(SimFaults, TheNextCallsFailWithTheCodeAndChangeNothing) {
  net.failNext(Call::AddConnection, err::kNetworkUnreachable, 2);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kNetworkUnreachable);
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kNetworkUnreachable);
  EXPECT_EQ(driveText(net, 'Z'), "none");
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  EXPECT_EQ(net.callCount(Call::AddConnection), 3);
}

TEST_F(SimFaults, AnAlwaysFaultLastsUntilCleared) {
  net.failNext(Call::CancelConnection, err::kOpenFiles, kAlways);
  ASSERT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(net.cancelConnection("Z:", 0, true), err::kOpenFiles);
  net.clearFaults();
  EXPECT_EQ(net.cancelConnection("Z:", 0, true), err::kOk);
}

TEST_F(SimFaults, AFailingUserNameLeavesTheBufferAlone) {
  net.failNext(Call::GetUser, err::kNoNetwork);
  std::string buffer = "before";
  std::uint32_t length = 255;
  EXPECT_EQ(net.getUser("", buffer, length), err::kNoNetwork);
  EXPECT_EQ(buffer, "before");
  EXPECT_EQ(length, 255U);
}

TEST_F(SimFaults, AFailingDriveLookupFindsNoDrive) {
  net.failNext(Call::GetDrive, 1);
  EXPECT_EQ(driveText(net, 'C'), "none");
  EXPECT_EQ(driveText(net, 'C'), "C: 2");
}

TEST_F(SimFaults, AFailingBatchLosesNoRecord) {
  platform::EnumHandle h = 0;
  ASSERT_EQ(net.openEnum(platform::kScopeGlobalNet, 0, 0, nullptr, h), err::kOk);
  net.failNext(Call::EnumResource, err::kAccessDenied);
  std::vector<platform::NetResource> out;
  std::int32_t count = -1;
  std::uint32_t size = 4096;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kAccessDenied);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kOk);
  EXPECT_EQ(count, 1);
  net.failNext(Call::CloseEnum, err::kInvalidHandle);
  EXPECT_EQ(net.closeEnum(h), err::kInvalidHandle);
  EXPECT_EQ(net.closeEnum(h), err::kOk) << "the failed close left the handle open";
}

TEST_F(SimFaults, AFailingTopLevelOpenShowsNoNetwork) {
  net.failNext(Call::OpenEnum, err::kNoNetwork);
  Walk w = walkNetwork(net);
  EXPECT_TRUE(w.found.empty());
  EXPECT_EQ(net.callCount(Call::OpenEnum), 1);
}

TEST_F(SimFaults, AServerCanGoDownAndComeBack) {
  EXPECT_TRUE(net.setReachable("atlas", false));
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kNetworkUnreachable);
  EXPECT_TRUE(net.setReachable(R"(\\HERMES)", true));
  EXPECT_EQ(add("Y:", R"(\\HERMES\archives)"), err::kOk);
  EXPECT_TRUE(net.setReachable("ATLAS", true));
  EXPECT_EQ(add("Z:", R"(\\ATLAS\docs)"), err::kOk);
  EXPECT_FALSE(net.setReachable("ZEUS", false));
}

TEST_F(SimFaults, FilesCanBeOpenedAndClosedOnAShare) {
  ASSERT_EQ(add("P:", R"(\\ATLAS\projets)"), err::kOk);
  EXPECT_TRUE(net.setOpenFiles(R"(\\atlas\PROJETS)", 0));
  EXPECT_EQ(net.cancelConnection("P:", 0, false), err::kOk);
  ASSERT_EQ(add("Q:", R"(\\ATLAS\docs\Courrier)"), err::kOk);
  EXPECT_TRUE(net.setOpenFiles(R"(\\ATLAS\docs)", 1));
  EXPECT_EQ(net.cancelConnection("Q:", 0, false), err::kOpenFiles) << "a folder of that share";
  EXPECT_FALSE(net.setOpenFiles(R"(\\ATLAS\docs\Courrier)", 1)) << "files are open on shares";
  EXPECT_FALSE(net.setOpenFiles(R"(\\ATLAS\nothing)", 1));
}

TEST_F(SimFaults, TheNetworkCanDisappear) {
  net.setNetworkPresent(false);
  std::string buffer;
  std::uint32_t length = 255;
  EXPECT_EQ(net.getUser("", buffer, length), err::kNoNetwork);
  net.setNetworkPresent(true);
  EXPECT_EQ(net.getUser("", buffer, length), err::kOk);
}

}  // namespace
}  // namespace quilbert::sim::testing
