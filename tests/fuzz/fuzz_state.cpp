// The connection state file: any bytes parse or are refused, what parses is
// written back the same, and any connections are written as a file that
// reads back.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/sim/state_file.h"

using namespace quilbert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (auto parsed = sim::StateFile::parse(text)) {
    const std::string formatted = sim::StateFile::format(*parsed);
    const auto again = sim::StateFile::parse(formatted);
    fuzz::check(again.has_value(), "a parsed state does not read back");
    fuzz::check(*again == *parsed, "a parsed state changed on the way back");
  }
  // The input as names: pieces between NUL bytes, one letter each.
  sim::Connections connections;
  std::size_t start = 0;
  for (char letter = 'A'; letter <= 'Z' && start <= text.size(); ++letter) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    const std::string piece = text.substr(start, end - start);
    const std::size_t half = piece.size() / 2;
    connections.push_back({letter, "\\\\" + piece.substr(0, half), piece.substr(half)});
    start = end + 1;
  }
  const std::string file = sim::StateFile::format(connections);
  const auto back = sim::StateFile::parse(file);
  fuzz::check(back.has_value() && back->size() == connections.size(),
              "written connections do not read back");
  fuzz::check(sim::StateFile::format(*back) == file, "the state file changed on the way back");
  return 0;
}
