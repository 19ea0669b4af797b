// The real-network tests run once, against one Samba server started here, in
// a network namespace of their own when the system allows it.
#include <gtest/gtest.h>

#include "samba_server.h"

namespace {

class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    quilbert::smb::testing::server().start();
    quilbert::smb::testing::server().startAnnouncer();
    quilbert::smb::testing::server().startDiscoveryPeer();
  }
  void TearDown() override { quilbert::smb::testing::server().stop(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Before any thread exists: the namespace is the whole process's.
  if (!quilbert::smb::testing::SambaServer::enterNamespace()) {
    std::fprintf(stderr,
                 "smb tests: no network namespace of our own (needs root); "
                 "the unreachable-server cases are skipped\n");
    // Nor may the programs it starts look for computers on the machine's interfaces.
    ::setenv("QUILBERT_DISCOVERY", "off", 1);
  }
  ::testing::AddGlobalTestEnvironment(new ServerEnvironment);
  return RUN_ALL_TESTS();
}
