// The Windows services against the tests' WS-Discovery peer (run by
// discovery_test.sh inside the peer's link): Winsock finds the computer, and
// the network lists it after mpr's own, under its workgroup.
#include <gtest/gtest.h>

#include <algorithm>

#include "net/computer_discovery.h"
#include "platform/win32/win32_network.h"

namespace quilbert::platform {
namespace {

TEST(Win32Discovery, TheWalkFindsThePeerUnderItsWorkgroup) {
  Win32Network network([] { return net::discoverComputers(*openDiscoverySockets()); });
  std::vector<NetResource> walked;
  EnumHandle handle = 0;
  int rc = network.openEnum(kScopeGlobalNet, kTypeAny, 0, nullptr, handle);
  for (std::size_t next = 0;; ++next) {
    if (rc == neterr::kOk) {
      std::vector<NetResource> batch;
      std::int32_t count = -1;
      for (std::uint32_t size = 65536; network.enumResource(handle, count, batch, size) == 0;
           size = 65536, count = -1) {
      }
      walked.insert(walked.end(), batch.begin(), batch.end());
      network.closeEnum(handle);
    }
    if (next >= walked.size()) break;
    rc = (walked[next].usage & kUsageContainer) != 0
             ? network.openEnum(kScopeGlobalNet, kTypeAny, 0, &walked[next], handle)
             : -1;
  }
  const auto listed = [&](const std::string& remote, const std::string& comment) {
    return std::any_of(walked.begin(), walked.end(), [&](const NetResource& r) {
      return r.remoteName == remote && r.comment.value_or("") == comment;
    });
  };
  EXPECT_TRUE(listed(kFoundComputers, ""));
  EXPECT_TRUE(listed("TESTGROUP", ""));
  EXPECT_TRUE(listed("\\\\WSDPEER", "10.231.0.2"));
}

}  // namespace
}  // namespace quilbert::platform
