// The network service through Wine's real mpr: the test network provider
// (built from tests/, registered by the test set-up) serves the simulated
// office network, so each answer can be held against the simulated network's.
#include "platform/win32/win32_network.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "platform/sim/sim_test_support.h"
#include "platform/win32/win32_credentials.h"
#include "platform/win32/win32_drives.h"

namespace quilbert::platform {
namespace {

namespace err = neterr;
using sim::testing::diskResource;

// The provider reads the network named here at its next call.
class ServedNetwork {
 public:
  ServedNetwork() {
    description_ = dir_.write("network.toml", sim::testing::kOffice);
    SetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", description_.c_str());
  }
  ~ServedNetwork() { SetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", nullptr); }
  ServedNetwork(const ServedNetwork&) = delete;
  ServedNetwork& operator=(const ServedNetwork&) = delete;
  // The same network, read directly.
  [[nodiscard]] std::unique_ptr<sim::SimNetwork> direct() const {
    return sim::SimNetwork::open(description_);
  }

 private:
  sim::testing::TempDir dir_;
  std::filesystem::path description_;
};

using Entry = std::tuple<std::uint32_t, std::uint32_t, std::string, std::string>;

// Every resource below the top level, read until "no more items" with a
// buffer of `bufferSize` bytes; each opened container is counted.
std::multiset<Entry> walk(Network& net, std::uint32_t bufferSize, int& containers) {
  std::multiset<Entry> found;
  std::vector<NetResource> queue;
  EnumHandle top = 0;
  if (net.openEnum(kScopeGlobalNet, kTypeAny, 0, nullptr, top) != err::kOk) return found;
  auto readAll = [&](EnumHandle h) {
    for (int guard = 0; guard < 1000; ++guard) {
      std::int32_t count = -1;
      std::uint32_t size = bufferSize;
      std::vector<NetResource> batch;
      const int rc = net.enumResource(h, count, batch, size);
      if (rc != err::kOk) break;
      queue.insert(queue.end(), batch.begin(), batch.end());
    }
    net.closeEnum(h);
  };
  readAll(top);
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const NetResource r = queue[i];
    if (i > 0 || r.displayType != kDisplayNetwork) {
      found.emplace(r.displayType, r.usage, r.remoteName.value_or(""), r.comment.value_or(""));
    }
    EnumHandle h = 0;
    if ((r.usage & kUsageContainer) != 0 &&
        net.openEnum(kScopeGlobalNet, kTypeAny, 0, &r, h) == 0) {
      ++containers;
      readAll(h);
    }
  }
  return found;
}

// One session of connections and cancels, as codes.
std::vector<int> session(Network& net) {
  auto add = [&](const char* local, const char* remote, const char* password, const char* user) {
    return net.addConnection(diskResource(local, remote), password, user, 0);
  };
  auto cancel = [&](const char* local, bool force) {
    return net.cancelConnection(local, kConnectUpdateProfile, force);
  };
  return {add("M:", R"(\\ATLAS\docs)", "", ""),
          add("M:", R"(\\ATLAS\docs)", "", ""),
          add("N:", R"(\\ATLAS\nothing)", "", ""),
          add("N:", R"(\\ZEUS\public)", "", ""),
          add("N:", R"(\\HERMES\archives)", "", ""),
          add("P:", R"(\\ATLAS\projets)", "", ""),
          cancel("P:", false),
          cancel("P:", true),
          cancel("M:", false),
          cancel("M:", false),
          add("N:", R"(\\ATLAS\paie)", "bad", "compta"),
          add("N:", R"(\\ATLAS\paie)", "bilan", "nobody"),
          add("N:", R"(\\ATLAS\paie)", "bilan", "compta"),
          add("O:", R"(\\ATLAS\docs)", "", "claire")};
}

TEST(Win32Network, ConnectionsGoThroughMprWithEveryCodeOfTheNetwork) {
  ServedNetwork served;
  Win32Network net;
  const std::vector<int> throughMpr = session(net);
  sim::testing::TempDir other;
  auto direct = sim::SimNetwork::open(other.write("network.toml", sim::testing::kOffice));
  const std::vector<int> expected = session(*direct);
  EXPECT_EQ(throughMpr, expected);
  for (int code : {err::kOk, err::kAlreadyAssigned, err::kBadNetName, err::kBadNetPath,
                   err::kNetworkUnreachable, err::kOpenFiles, err::kNotConnected,
                   err::kInvalidPassword, err::kLogonFailure, err::kSessionCredentialConflict}) {
    EXPECT_NE(std::find(expected.begin(), expected.end(), code), expected.end()) << code;
  }
  // The connection is the network's: seen by anyone, and read back by letter.
  std::string remote;
  EXPECT_EQ(net.getConnection("N:", remote), err::kOk);
  EXPECT_EQ(remote, R"(\\ATLAS\paie)");
  EXPECT_EQ(sim::testing::driveText(*served.direct(), 'N'), R"(N: 3 \\ATLAS\paie)");
  EXPECT_EQ(net.getConnection("M:", remote), err::kNotConnected);
  // A name the ANSI calls cannot carry is refused before it reaches mpr.
  EXPECT_EQ(net.addConnection(diskResource("Q:", "\\\\ATLAS\\漢"), "", "", 0),
            ERROR_NO_UNICODE_TRANSLATION);
}

// A login with no password connects with the password the Credential Manager
// keeps for the server, which the SMB client (here the provider) takes itself
// when given NULL; gone from the store, the same letter is refused.
TEST(Win32Credentials, ALoginWithoutPasswordTakesTheStoredOne) {
  ServedNetwork served;
  Win32Network net;
  Win32Credentials store;
  ASSERT_EQ(store.save("ATLAS", "compta", "bilan"), "");
  const StoredPassword held = store.lookup("atlas", "COMPTA");
  EXPECT_EQ(held.state, StoredPassword::State::Found);
  EXPECT_EQ(store.lookup("ATLAS", "claire").state, StoredPassword::State::Missing);
  EXPECT_EQ(net.addConnection(diskResource("N:", R"(\\ATLAS\paie)"), "", "compta", 0), err::kOk);
  EXPECT_EQ(net.cancelConnection("N:", 0, true), err::kOk);
  EXPECT_EQ(store.remove("ATLAS", "compta"), "");
  EXPECT_EQ(store.lookup("ATLAS", "compta").state, StoredPassword::State::Missing);
  EXPECT_EQ(net.addConnection(diskResource("N:", R"(\\ATLAS\paie)"), "", "compta", 0),
            err::kInvalidPassword);
}

TEST(Win32Network, EveryLevelIsEnumeratedAsTheNetworkHasIt) {
  ServedNetwork served;
  Win32Network net;
  int throughMpr = 0;
  int direct = 0;
  auto network = served.direct();
  const auto expected = walk(*network, 4096, direct);
  const auto found = walk(net, 4096, throughMpr);
  EXPECT_EQ(found, expected);
  EXPECT_EQ(throughMpr, direct);
  // Workgroup, servers, shares and folders all came through.
  for (std::uint32_t type : {kDisplayDomain, kDisplayServer, kDisplayShare}) {
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const Entry& e) {
      return std::get<0>(e) == type;
    })) << type;
  }
  EXPECT_TRUE(found.count({kDisplayShare, kUsageConnectable, R"(\\ATLAS\docs)", "Documents"}) +
                  found.count({kDisplayShare, kUsageConnectable | kUsageContainer,
                               R"(\\ATLAS\docs)", "Documents"}) ==
              1);
}

TEST(Win32Network, BatchesHoldWhatFitsTheCallersBufferInTheRealRecordSize) {
  ServedNetwork served;
  Win32Network net;
  NetResource server;
  server.scope = kScopeGlobalNet;
  server.displayType = kDisplayServer;
  server.usage = kUsageContainer;
  server.remoteName = R"(\\ATLAS)";
  server.provider = sim::kDefaultProvider;
  EnumHandle h = 0;
  ASSERT_EQ(net.openEnum(kScopeGlobalNet, kTypeAny, 0, &server, h), err::kOk);
  // Too small for one record: 234 and the size of the first one.
  std::int32_t count = -1;
  std::uint32_t size = 10;
  std::vector<NetResource> batch;
  ASSERT_EQ(net.enumResource(h, count, batch, size), err::kMoreData);
  EXPECT_EQ(count, 0);
  EXPECT_GE(size, 48U + 8U);  // the x64 NETRESOURCEA and "\\ATLAS\x" at least
  // Exactly that size gives exactly that record; then the rest, then 259.
  const std::uint32_t first = size;
  ASSERT_EQ(net.enumResource(h, count = -1, batch, size), err::kOk);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Win32Network::recordSize(batch[0]), first);
  std::size_t total = 1;
  for (int guard = 0; guard < 100; ++guard) {
    size = 4096;
    count = 2;
    const int rc = net.enumResource(h, count, batch, size);
    if (rc == err::kNoMoreItems) break;
    ASSERT_EQ(rc, err::kOk);
    EXPECT_LE(count, 2);
    total += static_cast<std::size_t>(count);
  }
  EnumHandle d = 0;
  std::size_t expected = 0;
  auto direct = served.direct();
  ASSERT_EQ(direct->openEnum(kScopeGlobalNet, kTypeAny, 0, &server, d), err::kOk);
  for (int rc = 0; rc != err::kNoMoreItems;) {
    size = 1U << 16U;
    count = -1;
    rc = direct->enumResource(d, count, batch, size);
    if (rc == err::kOk || rc == err::kMoreData) expected += static_cast<std::size_t>(count);
    if (rc != err::kOk && rc != err::kMoreData) break;
  }
  EXPECT_EQ(total, expected);
  EXPECT_EQ(net.closeEnum(h), err::kOk);
  EXPECT_EQ(net.closeEnum(h), err::kInvalidHandle);
}

TEST(Win32Drives, LocalDrivesHaveTheirTypeAndFreeLettersNone) {
  Win32Network net;
  Win32Drives drives(net);
  EXPECT_EQ(sim::testing::driveText(drives, 'C'), "C: 2");
  // Wine gives every prefix the drive Z: for the whole Unix file system.
  int none = 0;
  for (char letter = 'D'; letter <= 'Y'; ++letter) none += drives.getDrive(letter) ? 0 : 1;
  EXPECT_GT(none, 0);
}

}  // namespace
}  // namespace quilbert::platform
