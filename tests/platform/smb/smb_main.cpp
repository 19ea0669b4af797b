// The real-network tests run once, against one Samba server started here, in
// a network namespace of their own when the system allows it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "samba_server.h"

namespace {

class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // The domain first: the session bus and gvfs take its Kerberos settings.
    if (quilbert::smb::testing::SambaServer::inNamespace()) {
      std::string folder = (std::filesystem::temp_directory_path() / "quilbert-dc-XXXXXX").string();
      quilbert::smb::testing::domainController().start(::mkdtemp(folder.data()));
    }
    quilbert::smb::testing::server().start();
    quilbert::smb::testing::server().startAnnouncer();
    quilbert::smb::testing::server().startDiscoveryPeer();
  }
  void TearDown() override {
    quilbert::smb::testing::server().stop();
    quilbert::smb::testing::domainController().stop();
  }
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
  const int code = RUN_ALL_TESTS();
  // Ended here, without the exit-time leak check of this harness itself:
  // LeakSanitizer's tracer crashes there now and then (signal 11) on the
  // threads GLib's bus and the name server leave behind. The programs the
  // tests run are checked at their own end.
  std::fflush(nullptr);
  std::_Exit(code);
}
