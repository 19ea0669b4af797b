// The configuration reader on any file: it never crashes, what it read can
// always be written, and reading back what was written changes nothing.
#include <cstdint>
#include <string>

#include "app/config.h"
#include "fuzz/fuzz_support.h"
#include "platform/linux/linux_process.h"

using namespace quilbert;

namespace {

struct Program {
  platform::LinuxProcess process{0, nullptr, fuzz::scratch().string()};
  app::Config g{process};
};

// Reads the file into a program that has read nothing before.
std::unique_ptr<Program> read() {
  auto p = std::make_unique<Program>();
  p->g.read(fuzz::scratch().string() + "/fuzz.ini");
  return p;
}

bool sameEntries(const app::Config& a, const app::Config& b) {
  for (int k = 1; k <= app::kDriveCount; ++k) {
    const auto& x = a.DriveTable[static_cast<std::size_t>(k)];
    const auto& y = b.DriveTable[static_cast<std::size_t>(k)];
    if (x.Active != y.Active || x.Letter != y.Letter || x.Login != y.Login ||
        x.Password != y.Password || x.Path != y.Path) {
      return false;
    }
  }
  return a.IniMarker == b.IniMarker && a.IconTheme == b.IconTheme &&
         a.LanguageFile == b.LanguageFile && a.ResidentMode == b.ResidentMode;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = fuzz::scratch() / "fuzz.ini";
  fuzz::writeFile(file, std::string(reinterpret_cast<const char*>(data), size));
  auto first = read();
  const auto written = first->g.write(first->g.settingsLines(first->g.ConfigLines));
  fuzz::check(written.ok(), "what was read cannot be written: " + written.detail);
  const std::string bytes = fuzz::readFile(file);
  auto second = read();
  fuzz::check(sameEntries(first->g, second->g), "the entries changed on the way through the file");
  fuzz::check(second->g.write(second->g.settingsLines(second->g.ConfigLines)).ok(),
              "second write refused");
  fuzz::check(fuzz::readFile(file) == bytes, "a second round through the file changed it");
  return 0;
}
