// The message catalogue on any language file: 200 entries of well-formed
// UTF-8, each on one line.
#include <cstdint>
#include <string>

#include "app/catalogue.h"
#include "app/globals.h"
#include "fuzz/fuzz_support.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/sim/sim_network.h"
#include "platform/utf8.h"

using namespace quilbert;

namespace {
sim::NetworkSpec loggedOn() {
  sim::NetworkSpec spec;
  spec.user = "fuzz";
  return spec;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static headless::HeadlessToolkit tk;
  static sim::SimNetwork net{loggedOn(), {}};
  static platform::FileRegistry registry{(fuzz::scratch() / "config").string()};
  static platform::LinuxProcess process{0, nullptr, fuzz::scratch().string()};
  app::Globals g{app::Services{tk, net, net, registry, process, nullptr}};
  g.LangDir = fuzz::scratch().string() + "/";
  g.LanguageFile = "fuzz.txt";
  fuzz::writeFile(fuzz::scratch() / "fuzz.txt",
                  std::string(reinterpret_cast<const char*>(data), size));
  app::LoadCatalogue(g);
  for (const auto& entry : g.Catalogue) {
    fuzz::check(utf8::firstInvalid(entry) == std::string::npos, "an entry is malformed UTF-8");
    fuzz::check(entry.find_first_of("\r\n") == std::string::npos, "an entry holds a line break");
  }
  return 0;
}
