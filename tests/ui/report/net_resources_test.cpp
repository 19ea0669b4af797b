#include "ui/report/net_resources.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "net/container_listing.h"
#include "platform/network_listing.h"
#include "ui/report/scripted_network.h"

namespace quilbert::ui {
namespace {

using testing::resource;
using testing::ScriptedNetwork;
using Lines = std::vector<std::string>;

struct EnumWalk : ::testing::Test {
  testing::ScriptedProgram p;
  forms::Form window{p.tk, "Form1"};
  forms::ListBox& text2 = window.add<forms::ListBox>("text2");

  EnumWalk() { window.load(); }
  const Lines& run() {
    EnumNetResources(p.net, p.g.texts, window, text2);
    return text2.items();
  }
};

TEST_F(EnumWalk, NoNetworkListsNothing) {
  p.net.topOpenFailure = platform::neterr::kNoNetwork;
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(p.net.opened, Lines{"<top>"});
  EXPECT_EQ(p.tk.repaints(window), 0);
}

// One provider; below it, level by level, in discovery order, with the
// headings of their display types and the odd ones: display type 10 has no
// heading, a share without comment keeps its blank, a null remote name leads
// with the blank.
TEST_F(EnumWalk, ListsLevelByLevelWithHeadings) {
  const int provider = p.net.add(ScriptedNetwork::kTop, resource(6, true, "Test Network"));
  const int wg = p.net.add(provider, resource(1, true, "WORKGROUP"));
  const int office = p.net.add(provider, resource(1, true, "OFFICE", "second floor"));
  const int srv = p.net.add(wg, resource(2, true, "\\\\SRV1", "File server"));
  p.net.add(office, resource(10, false, "TREE", "a tree"));
  p.net.add(office, resource(5, false, std::nullopt, "orphan"));
  p.net.add(srv, resource(3, false, "\\\\SRV1\\docs"));
  p.net.add(srv, resource(8, false, "\\\\SRV1\\ADMIN$", "Remote admin"));
  p.net.add(srv, resource(9, false, "\\\\SRV1\\docs\\x", ""));
  p.net.add(srv, resource(4, false, "\\\\SRV1\\f"));
  p.net.add(srv, resource(7, false, "\\\\root"));
  p.net.add(srv, resource(0, false, "\\\\generic"));

  // clang-format off
  EXPECT_EQ(run(), (Lines{"m124", "Test Network ",
                          "m120", "WORKGROUP ",
                          "m120", "OFFICE second floor",
                          "m126", "\\\\SRV1 File server",
                          "TREE a tree",
                          "m123", " orphan",
                          "m127", "\\\\SRV1\\docs ",
                          "m128", "\\\\SRV1\\ADMIN$ Remote admin",
                          "m119", "\\\\SRV1\\docs\\x ",
                          "m121", "\\\\SRV1\\f ",
                          "m125", "\\\\root ",
                          "m122", "\\\\generic "}));
  // clang-format on
  // Only containers are opened, each once, breadth first; all are closed.
  EXPECT_EQ(p.net.opened, (Lines{"<top>", "Test Network", "WORKGROUP", "OFFICE", "\\\\SRV1"}));
  EXPECT_EQ(p.net.openHandles, 0);
  EXPECT_EQ(p.tk.repaints(window), 5);  // once per visit that found something
}

TEST_F(EnumWalk, ReadsEveryBatchAndRepeatsTheReturnedCount) {
  const int srv = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\BIG"));
  for (int i = 0; i < 300; ++i) {
    p.net.add(srv, resource(3, false, "\\\\BIG\\share" + std::to_string(i), "c"));
  }
  // As many records as fill the first 4,096 bytes.
  std::int32_t firstBatch = 0;
  for (std::uint32_t used = 0;; ++firstBatch) {
    used += platform::netResourceSize(
        resource(3, false, "\\\\BIG\\share" + std::to_string(firstBatch), "c"));
    if (used > platform::kEnumBufferSize) break;
  }
  const Lines& lines = run();
  ASSERT_EQ(lines.size(), 2U * 301);
  EXPECT_EQ(lines.back(), "\\\\BIG\\share299 c");
  // Reading \\BIG: -1 first, then the count the previous call returned.
  const std::vector<std::int32_t>& counts = p.net.requestedCounts["\\\\BIG"];
  ASSERT_GE(counts.size(), 3U);
  EXPECT_EQ(counts[0], -1);
  EXPECT_EQ(counts[1], firstBatch);
  for (std::uint32_t size : p.net.announcedSizes) EXPECT_EQ(size, platform::kEnumBufferSize);
}

TEST_F(EnumWalk, ReadsOnThroughSmallBatchesAndOversizedRecords) {
  p.net.maxPerBatch = 2;
  const int srv = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\S"));
  p.net.add(srv, resource(3, false, "\\\\S\\a"));
  p.net.add(srv, resource(3, false, "\\\\S\\b", std::string(5000, 'x')));  // bigger than 4,096
  p.net.add(srv, resource(3, false, "\\\\S\\c"));
  p.net.add(srv, resource(3, false, "\\\\S\\d"));
  p.net.add(srv, resource(3, false, "\\\\S\\e"));
  const Lines& lines = run();
  ASSERT_EQ(lines.size(), 12U);
  EXPECT_EQ(lines[5], "\\\\S\\b " + std::string(255, 'x'));  // read whole, shown cut
  EXPECT_EQ(lines[11], "\\\\S\\e ");
  EXPECT_EQ(p.net.openHandles, 0);
}

TEST_F(EnumWalk, ReadsOnWhenEveryBatchComesWithSuccess) {
  p.net.successWithEveryBatch = true;
  p.net.maxPerBatch = 3;
  const int srv = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\S"));
  for (int i = 0; i < 10; ++i) p.net.add(srv, resource(3, false, "\\\\S\\" + std::to_string(i)));
  EXPECT_EQ(run().size(), 2U * 11);
}

TEST_F(EnumWalk, SkipsContainersThatDoNotOpen) {
  const int down = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\DOWN"),
                             platform::neterr::kNetworkUnreachable);
  p.net.add(down, resource(3, false, "\\\\DOWN\\hidden"));
  const int up = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\UP"));
  p.net.add(up, resource(3, false, "\\\\UP\\seen"));
  EXPECT_EQ(run(), (Lines{"m126", "\\\\DOWN ", "m126", "\\\\UP ", "m127", "\\\\UP\\seen "}));
  EXPECT_EQ(p.net.openHandles, 0);
}

// A server that opens but fails its first read (mpr under Wine, for a
// server that is off) is that failure to the command line, not an empty server.
TEST_F(EnumWalk, AListingWhoseFirstReadFailsSaysWhy) {
  const int off = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\OFF"));
  p.net.add(off, resource(3, false, "\\\\OFF\\data"));
  p.net.readFailure = platform::neterr::kNetworkUnreachable;
  std::vector<NetResourceEntry> shares;
  const NetResourceEntry server = resource(2, true, "\\\\OFF");
  EXPECT_EQ(net::listContainer(p.net, &server, platform::kTypeAny, shares),
            platform::neterr::kNetworkUnreachable);
  EXPECT_TRUE(shares.empty());
  EXPECT_EQ(p.net.openHandles, 0);
}

TEST_F(EnumWalk, ListsEveryResourcePastThirtyTwoThousand) {
  const int srv = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\HUGE"));
  constexpr int kShares = 40'000;
  for (int i = 0; i < kShares; ++i) {
    p.net.add(srv, resource(i % 2 == 0 ? 3 : 10, false, "\\\\HUGE\\s" + std::to_string(i)));
  }
  const Lines& lines = run();
  EXPECT_EQ(lines.size(), 2U + kShares + kShares / 2);
  EXPECT_EQ(lines.back(), "\\\\HUGE\\s39999 ");
}

TEST_F(EnumWalk, StopsQuietlyWhenTheServiceFailsOrTheWindowCloses) {
  const int a = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\A"));
  const int b = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\B"));
  p.net.add(a, resource(3, false, "\\\\A\\x"));
  p.net.add(b, resource(3, false, "\\\\B\\y"));
  p.net.onOpen = [](const platform::NetResource* c) {
    if (c != nullptr && c->remoteName == "\\\\B") throw std::runtime_error("service gone");
  };
  EXPECT_NO_THROW(run());
  EXPECT_EQ(text2.items().size(), 6U);  // \\A, \\B and \\A\x stay listed
  EXPECT_EQ(p.net.openHandles, 0);

  text2.clear();
  p.net.opened.clear();
  p.net.onOpen = [&](const platform::NetResource* c) {
    if (c != nullptr) window.unload();  // the user closes the report
  };
  run();
  EXPECT_EQ(p.net.opened, (Lines{"<top>", "\\\\A"}));
  EXPECT_EQ(p.net.openHandles, 0);
}

}  // namespace
}  // namespace quilbert::ui
