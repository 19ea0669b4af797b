// Enumeration lists the network level by level in the records Windows gives,
// in batches bounded by the caller's buffer.
#include <chrono>
#include <ctime>

#include "sim_test_support.h"

namespace quilbert::sim::testing {
namespace {

namespace err = platform::neterr;
using platform::kScopeGlobalNet;

constexpr char kMsNet[] = "Microsoft Windows Network";

NetResource container(const std::string& remote, std::uint32_t display) {
  NetResource r;
  r.scope = kScopeGlobalNet;
  r.displayType = display;
  r.usage = platform::kUsageContainer;
  r.remoteName = remote;
  r.provider = kMsNet;
  return r;
}

// Everything one container holds, read in one call with a large buffer.
std::vector<NetResource> children(platform::Network& net, const NetResource* parent,
                                  int* openResult = nullptr, std::uint32_t type = 0,
                                  std::uint32_t usage = 0) {
  platform::EnumHandle h = 0;
  int opened = net.openEnum(kScopeGlobalNet, type, usage, parent, h);
  if (openResult != nullptr) *openResult = opened;
  std::vector<NetResource> out;
  if (opened != err::kOk) return out;
  std::int32_t count = -1;
  std::uint32_t size = 1U << 30;
  net.enumResource(h, count, out, size);
  net.closeEnum(h);
  return out;
}

std::vector<std::string> remotes(const std::vector<NetResource>& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(r.remoteName.value_or("(null)"));
  return out;
}

int openResult(platform::Network& net, const NetResource& parent) {
  int result = 0;
  children(net, &parent, &result);
  return result;
}

class SimEnumeration : public ::testing::Test {
 protected:
  SimNetwork net{parseDescription(kOffice, "office.toml")};
};

TEST_F(SimEnumeration, TheTopLevelListsTheProviders) {
  auto top = children(net, nullptr);
  ASSERT_EQ(top.size(), 1U);
  NetResource expected;
  expected.scope = kScopeGlobalNet;
  expected.type = platform::kTypeAny;
  expected.displayType = platform::kDisplayNetwork;
  expected.usage = platform::kUsageContainer;
  expected.remoteName = kMsNet;
  expected.provider = kMsNet;
  EXPECT_EQ(top[0], expected);
}

TEST_F(SimEnumeration, AProviderListsItsWorkgroups) {
  auto top = children(net, nullptr);
  auto groups = children(net, &top[0]);
  ASSERT_EQ(groups.size(), 1U);
  EXPECT_EQ(groups[0].remoteName, "BUREAU");
  EXPECT_EQ(groups[0].displayType, platform::kDisplayDomain);
  EXPECT_EQ(groups[0].usage, platform::kUsageContainer);
  EXPECT_EQ(groups[0].provider, kMsNet);
  EXPECT_FALSE(groups[0].comment.has_value());
}

TEST_F(SimEnumeration, AWorkgroupListsItsServersWithTheirComments) {
  NetResource group = container("BUREAU", platform::kDisplayDomain);
  auto servers = children(net, &group);
  EXPECT_EQ(remotes(servers), (std::vector<std::string>{R"(\\ATLAS)", R"(\\HERMES)"}));
  EXPECT_EQ(servers[0].displayType, platform::kDisplayServer);
  EXPECT_EQ(servers[0].comment, "File server");
  EXPECT_FALSE(servers[1].comment.has_value()) << "an unreachable server is still listed";
}

TEST_F(SimEnumeration, AServerListsItsSharesButNotTheHiddenOnes) {
  NetResource server = container(R"(\\ATLAS)", platform::kDisplayServer);
  auto shares = children(net, &server);
  EXPECT_EQ(remotes(shares),
            (std::vector<std::string>{R"(\\ATLAS\docs)", R"(\\ATLAS\paie)", R"(\\ATLAS\projets)"}));
  EXPECT_EQ(shares[0].type, platform::kTypeDisk);
  EXPECT_EQ(shares[0].displayType, platform::kDisplayShare);
  EXPECT_EQ(shares[0].usage, platform::kUsageConnectable | platform::kUsageContainer)
      << "a share with folders can be opened";
  EXPECT_EQ(shares[0].comment, "Documents");
  EXPECT_EQ(shares[1].usage, platform::kUsageConnectable);
  EXPECT_FALSE(shares[1].localName.has_value());
}

TEST_F(SimEnumeration, AShareListsItsFoldersAsDirectories) {
  NetResource docs = container(R"(\\ATLAS\docs)", platform::kDisplayShare);
  auto folders = children(net, &docs);
  EXPECT_EQ(remotes(folders),
            (std::vector<std::string>{R"(\\ATLAS\docs\Projets)", R"(\\ATLAS\docs\Courrier)"}));
  EXPECT_EQ(folders[0].displayType, 9U);
  EXPECT_EQ(folders[0].usage, platform::kUsageConnectable | platform::kUsageContainer);
  EXPECT_EQ(folders[1].usage, platform::kUsageConnectable);
  auto inner = children(net, &folders[0]);
  EXPECT_EQ(remotes(inner), (std::vector<std::string>{R"(\\ATLAS\docs\Projets\2024)"}));
}

TEST_F(SimEnumeration, ContainersThatCannotBeOpenedAnswerWhy) {
  EXPECT_EQ(openResult(net, container(R"(\\ATLAS\paie)", platform::kDisplayShare)),
            err::kNotContainer);
  EXPECT_EQ(openResult(net, container(R"(\\HERMES)", platform::kDisplayServer)),
            err::kNetworkUnreachable);
  EXPECT_EQ(openResult(net, container(R"(\\HERMES\archives)", platform::kDisplayShare)),
            err::kNetworkUnreachable);
  EXPECT_EQ(openResult(net, container(R"(\\ZEUS)", platform::kDisplayServer)), err::kBadNetPath);
  EXPECT_EQ(openResult(net, container(R"(\\ATLAS\nothing)", platform::kDisplayShare)),
            err::kBadNetName);
  EXPECT_EQ(openResult(net, container("NOWHERE", platform::kDisplayDomain)), err::kBadNetPath);
  EXPECT_EQ(openResult(net, container("Other Network", platform::kDisplayNetwork)), 1204);
  NetResource empty;
  EXPECT_EQ(openResult(net, empty), err::kInvalidParameter);
}

TEST_F(SimEnumeration, AContainerDescribedAsFailingAnswersItsCode) {
  SimNetwork failing(parseDescription(R"(user = "u"
[[workgroup]]
name = "LOCKED"
enum_error = 5
[[server]]
name = "S"
)",
                                      "f.toml"));
  EXPECT_EQ(openResult(failing, container("LOCKED", platform::kDisplayDomain)), err::kAccessDenied);
}

TEST_F(SimEnumeration, TheProgramsWalkFindsEveryResourceInDiscoveryOrder) {
  Walk w = walkNetwork(net);
  EXPECT_EQ(
      remotes(w.found),
      (std::vector<std::string>{kMsNet, "BUREAU", R"(\\ATLAS)", R"(\\HERMES)", R"(\\ATLAS\docs)",
                                R"(\\ATLAS\paie)", R"(\\ATLAS\projets)", R"(\\ATLAS\docs\Projets)",
                                R"(\\ATLAS\docs\Courrier)", R"(\\ATLAS\docs\Projets\2024)"}));
}

TEST_F(SimEnumeration, FiltersKeepContainersOrConnectableDisks) {
  NetResource server = container(R"(\\ATLAS)", platform::kDisplayServer);
  EXPECT_EQ(remotes(children(net, &server, nullptr, 0, platform::kUsageContainer)),
            (std::vector<std::string>{R"(\\ATLAS\docs)"}));
  EXPECT_TRUE(children(net, &server, nullptr, 2 /* print */).empty());
  NetResource group = container("BUREAU", platform::kDisplayDomain);
  EXPECT_EQ(children(net, &group, nullptr, 2).size(), 2U) << "containers pass any type";
  EXPECT_TRUE(children(net, &group, nullptr, 0, platform::kUsageConnectable).empty());
}

TEST_F(SimEnumeration, BadArgumentsAreRefused) {
  platform::EnumHandle h = 0;
  EXPECT_EQ(net.openEnum(kScopeGlobalNet, 7, 0, nullptr, h), err::kInvalidParameter);
  EXPECT_EQ(net.openEnum(5, 0, 0, nullptr, h), err::kInvalidParameter);
  NetResource server = container(R"(\\ATLAS)", platform::kDisplayServer);
  EXPECT_EQ(net.openEnum(platform::kScopeConnected, 0, 0, &server, h), err::kInvalidParameter);
  ASSERT_EQ(net.openEnum(kScopeGlobalNet, 0, 0, nullptr, h), err::kOk);
  std::vector<NetResource> out;
  std::uint32_t size = 4096;
  std::int32_t count = 0;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kInvalidParameter);
  count = -2;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kInvalidParameter);
  EXPECT_EQ(net.closeEnum(h), err::kOk);
  count = -1;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kInvalidHandle);
  EXPECT_EQ(net.closeEnum(h), err::kInvalidHandle);
}

TEST_F(SimEnumeration, TheConnectedScopeListsTheConnectionsByLetter) {
  ASSERT_EQ(net.addConnection(diskResource("Z:", R"(\\ATLAS\docs)"), "", "", 0), err::kOk);
  ASSERT_EQ(net.addConnection(diskResource("Y:", R"(\\ATLAS\paie)"), "", "", 0), err::kOk);
  platform::EnumHandle h = 0;
  ASSERT_EQ(net.openEnum(platform::kScopeConnected, 0, 0, nullptr, h), err::kOk);
  std::vector<NetResource> out;
  std::uint32_t size = 4096;
  std::int32_t count = -1;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kOk);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(out[0].localName, "Y:");
  EXPECT_EQ(out[1].remoteName, R"(\\ATLAS\docs)");
  EXPECT_EQ(out[1].scope, platform::kScopeConnected);
  EXPECT_EQ(out[1].displayType, platform::kDisplayShare);
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kNoMoreItems);
}

// --- batching ------------------------------------------------------------------

class SimBatching : public ::testing::Test {
 protected:
  void SetUp() override {
    NetResource server = container(R"(\\GEN01-SRV001)", platform::kDisplayServer);
    ASSERT_EQ(net.openEnum(kScopeGlobalNet, 0, 0, &server, handle), err::kOk);
  }
  void TearDown() override { net.closeEnum(handle); }

  SimNetwork net{generatedNetwork(1, 1, 300)};
  platform::EnumHandle handle = 0;
  std::vector<NetResource> out;
};

TEST_F(SimBatching, CountMinusOneFillsTheBufferAndSaysMoreRemain) {
  std::int32_t count = -1;
  std::uint32_t size = 4096;
  ASSERT_EQ(net.enumResource(handle, count, out, size), err::kMoreData);
  ASSERT_GT(count, 0);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(count));
  std::uint32_t used = 0;
  for (const auto& r : out) used += platform::netResourceSize(r);
  EXPECT_LE(used, 4096U);
  // The next record would not have fitted.
  std::int32_t one = 1;
  std::vector<NetResource> next;
  std::uint32_t big = 4096;
  ASSERT_EQ(net.enumResource(handle, one, next, big), err::kMoreData);
  EXPECT_GT(used + platform::netResourceSize(next[0]), 4096U);
  EXPECT_EQ(size, 4096U) << "the size is left alone when records were returned";
}

TEST_F(SimBatching, ThePreviousCountReadsTheRestInOrderThenNothingIsLeft) {
  std::int32_t count = -1;
  std::vector<std::string> names;
  int result = 0;
  int calls = 0;
  do {
    std::uint32_t size = 4096;
    result = net.enumResource(handle, count, out, size);
    ++calls;
    for (const auto& r : out) names.push_back(*r.remoteName);
  } while (result == err::kMoreData);
  EXPECT_EQ(result, err::kOk) << "the last batch comes with 0";
  ASSERT_EQ(names.size(), 300U);
  EXPECT_EQ(names.front(), R"(\\GEN01-SRV001\share001)");
  EXPECT_EQ(names.back(), R"(\\GEN01-SRV001\share300)");
  EXPECT_GT(calls, 2);
  std::uint32_t size = 4096;
  count = -1;
  EXPECT_EQ(net.enumResource(handle, count, out, size), err::kNoMoreItems);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(out.empty());
}

TEST_F(SimBatching, APositiveCountIsTheMostReturned) {
  std::int32_t count = 3;
  std::uint32_t size = 4096;
  EXPECT_EQ(net.enumResource(handle, count, out, size), err::kMoreData);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(out.size(), 3U);
}

TEST_F(SimBatching, ABufferTooSmallForOneRecordAsksForTheSizeNeeded) {
  std::int32_t count = -1;
  std::uint32_t size = 10;
  ASSERT_EQ(net.enumResource(handle, count, out, size), err::kMoreData);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(out.empty());
  NetResource first = container(R"(\\GEN01-SRV001)", 0);
  first = children(net, &first)[0];
  EXPECT_EQ(size, platform::netResourceSize(first));
  count = -1;
  ASSERT_EQ(net.enumResource(handle, count, out, size), err::kMoreData);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(out[0], first) << "nothing was skipped";
}

TEST(SimEmptyContainer, AnswersNoMoreItemsAtOnce) {
  SimNetwork net(generatedNetwork(1, 1, 0));
  NetResource server = container(R"(\\GEN01-SRV001)", platform::kDisplayServer);
  platform::EnumHandle h = 0;
  ASSERT_EQ(net.openEnum(kScopeGlobalNet, 0, 0, &server, h), err::kOk);
  std::vector<NetResource> out;
  std::int32_t count = -1;
  std::uint32_t size = 4096;
  EXPECT_EQ(net.enumResource(h, count, out, size), err::kNoMoreItems);
}

// --- a large network -----------------------------------------------------------

TEST(SimLargeNetwork, AHundredThousandSharesAreWalkedInWellUnderFiveSeconds) {
  // Processor time where the C library counts it (Linux): what the walk
  // costs, however busy the machine running the tests is.
  const std::clock_t start = std::clock();
  SimNetwork net(generatedNetwork(10, 100, 100));
  Walk w = walkNetwork(net);
  const auto elapsed = std::chrono::milliseconds((std::clock() - start) * 1000 / CLOCKS_PER_SEC);
  EXPECT_EQ(w.found.size(), 1U + 10 + 1000 + 100'000);
  EXPECT_EQ(w.failedOpens, 100'000) << "only the shares are no containers";
  EXPECT_EQ(w.found.back().remoteName, R"(\\GEN10-SRV100\share100)");
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kSlowerChecked = 3;  // the sanitizers' checks on every access
#elif defined(_WIN32)
  constexpr int kSlowerChecked = 3;  // Windows' clock() is wall time, however busy the machine
#else
  constexpr int kSlowerChecked = 1;
#endif
  EXPECT_LT(elapsed, std::chrono::seconds(5) * kSlowerChecked);
  RecordProperty("walk_ms", static_cast<int>(elapsed.count()));
}

TEST(SimLargeNetwork, CanBeDescribedInAFewLines) {
  SimNetwork net(parseDescription(
      "user = \"u\"\n[generate]\nworkgroups = 2\nservers = 3\nshares = 4\n", "gen.toml"));
  EXPECT_EQ(walkNetwork(net).found.size(), 1U + 2 + 6 + 24);
}

}  // namespace
}  // namespace quilbert::sim::testing
