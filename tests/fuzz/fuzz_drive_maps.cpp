// The policy's Drives.xml on any bytes: the reader never crashes, a file it
// accepts can always be saved, and its letters come back from an export.
#include <cstdint>
#include <string>

#include "app/drive_maps.h"
#include "app/globals.h"
#include "app/text.h"
#include "fuzz/fuzz_support.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_domain.h"
#include "platform/linux/linux_process.h"
#include "platform/sim/sim_network.h"

using namespace quilbert;

namespace {

sim::NetworkSpec loggedOn() {
  sim::NetworkSpec spec;
  spec.user = "fuzz";
  return spec;
}

struct Program {
  Program() {
    g.SettingsDir = fuzz::scratch().string() + "/";
    g.ConfigFileName = "fuzz.ini";
    app::readConfiguration(g, false);
    app::takeApartDriveLines(g);
  }
  headless::HeadlessToolkit tk;
  sim::SimNetwork net{loggedOn(), {}};
  platform::FileRegistry registry{(fuzz::scratch() / "config").string()};
  platform::LinuxProcess process{0, nullptr, fuzz::scratch().string()};
  app::Globals g{app::Services{tk, net, net, registry, process, nullptr}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::filesystem::remove(fuzz::scratch() / "fuzz.ini");
  platform::LinuxDomain cipher;
  app::DriveMapsInputs in{{{"USERNAME", "u"}}, &cipher, true};
  Program p;
  app::DriveMapsImport plan =
      app::planImport(p.g, std::string_view(reinterpret_cast<const char*>(data), size), in);
  if (!plan.error.empty()) return 0;
  const app::WriteOutcome saved = app::saveImport(p.g, plan);
  fuzz::check(saved.ok(), "an accepted file was not saved: " + saved.detail);
  std::vector<std::string> notes;
  const std::string xml = app::exportDriveMaps(p.g, {}, notes);
  std::filesystem::remove(fuzz::scratch() / "fuzz.ini");
  Program back;
  app::DriveMapsImport again = app::planImport(back.g, xml, in);
  fuzz::check(again.error.empty(), "the export of an import is refused: " + again.error);
  for (std::size_t k = 1; k <= app::kDriveCount; ++k) {
    const auto& a = p.g.DriveTable[k];
    const auto& b = again.table[k];
    fuzz::check(app::isBlank(a.Path) || (a.Path == b.Path && a.Login == b.Login &&
                                         (a.Active == "1") == (b.Active == "1")),
                "letter " + std::to_string(k) + " changed on its way out and back");
  }
  return 0;
}
