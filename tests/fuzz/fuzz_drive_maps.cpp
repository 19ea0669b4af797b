// The policy's Drives.xml on any bytes: the reader never crashes, a file it
// accepts can always be saved, and its letters come back from an export.
#include <cstdint>
#include <string>

#include "app/drive_maps.h"
#include "app/text.h"
#include "fuzz/fuzz_support.h"
#include "platform/linux/linux_domain.h"
#include "platform/linux/linux_process.h"

using namespace quilbert;

namespace {

struct Program {
  Program() { g.read(fuzz::scratch().string() + "/fuzz.ini", false); }
  platform::LinuxProcess process{0, nullptr, fuzz::scratch().string()};
  app::Config g{process};
  app::Catalogue texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::filesystem::remove(fuzz::scratch() / "fuzz.ini");
  platform::LinuxDomain cipher;
  app::DriveMapsInputs in{{{"USERNAME", "u"}}, &cipher, nullptr, true};
  Program p;
  app::DriveMapsImport plan = app::planImport(
      p.texts, p.g, std::string_view(reinterpret_cast<const char*>(data), size), in);
  if (!plan.error.empty()) return 0;
  const app::WriteOutcome saved = app::saveImport(p.g, plan);
  fuzz::check(saved.ok(), "an accepted file was not saved: " + saved.detail);
  std::vector<std::string> notes;
  const std::string xml = app::exportDriveMaps(p.texts, p.g, {}, notes);
  std::filesystem::remove(fuzz::scratch() / "fuzz.ini");
  Program back;
  app::DriveMapsImport again = app::planImport(back.texts, back.g, xml, in);
  fuzz::check(again.error.empty(), "the export of an import is refused: " + again.error);
  for (std::size_t k = 1; k <= app::kDriveCount; ++k) {
    const auto& a = p.g.DriveTable[k];
    const auto& b = again.table[k];
    fuzz::check(app::isBlank(a.Path) ||
                    (a.Path == b.Path && a.Login == b.Login &&
                     (a.Active == app::Activation::On) == (b.Active == app::Activation::On)),
                "letter " + std::to_string(k) + " changed on its way out and back");
  }
  return 0;
}
