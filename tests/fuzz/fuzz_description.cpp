// The network description on any bytes: a network, or one refusal on one
// line that names the file.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/sim/description.h"
#include "platform/sim/sim_network.h"

using namespace quilbert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const sim::NetworkSpec spec = sim::parseDescription(text, "fuzz.toml");
    sim::SimNetwork network(spec);
  } catch (const sim::DescriptionError& e) {
    const std::string message = e.what();
    fuzz::check(message.rfind("fuzz.toml:", 0) == 0, "refusal without the file: " + message);
    fuzz::check(message.find_first_of("\r\n") == std::string::npos,
                "refusal on more than one line: " + message);
  }
  return 0;
}
