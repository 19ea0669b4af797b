// The registry store's text: any bytes give a table (and a list of what was
// skipped), and the table written out reads back whole and the same.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/linux/registry_store.h"

using namespace quilbert::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const posix::ParsedStore parsed = posix::parseStore(text);
  const std::string formatted = posix::formatStore(parsed.table);
  const posix::ParsedStore again = posix::parseStore(formatted);
  quilbert::fuzz::check(again.problems.empty(),
                        "a written store has problems: " +
                            (again.problems.empty() ? std::string() : again.problems[0]));
  quilbert::fuzz::check(posix::formatStore(again.table) == formatted,
                        "the store changed on the way back");
  return 0;
}
