// The message catalogue on any language file: 200 entries of well-formed
// UTF-8, each on one line.
#include <cstdint>
#include <string>

#include "app/catalogue.h"
#include "fuzz/fuzz_support.h"
#include "platform/linux/linux_process.h"
#include "platform/utf8.h"

using namespace quilbert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::Catalogue g;
  fuzz::writeFile(fuzz::scratch() / "fuzz.txt",
                  std::string(reinterpret_cast<const char*>(data), size));
  g.load(fuzz::scratch().string() + "/", "fuzz.txt");
  for (int n = 0; n < app::kCatalogueSize; ++n) {
    const std::string& entry = g.msg(n);
    fuzz::check(utf8::firstInvalid(entry) == std::string::npos, "an entry is malformed UTF-8");
    fuzz::check(entry.find_first_of("\r\n") == std::string::npos, "an entry holds a line break");
  }
  return 0;
}
