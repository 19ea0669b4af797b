// The simulated network at the size of a large company: 10 workgroups x 100
// servers x 100 shares, built and walked the way the report walks a network.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/sim/network_walk.h"  // in tests/
#include "platform/sim/sim_network.h"

namespace {

using quilbert::platform::NetResource;
using quilbert::sim::SimNetwork;

void BM_BuildLargeNetwork(benchmark::State& state) {
  for (auto _ : state) {
    SimNetwork net(quilbert::sim::generatedNetwork(10, 100, 100));
    benchmark::DoNotOptimize(net);
  }
}
BENCHMARK(BM_BuildLargeNetwork)->Unit(benchmark::kMillisecond);

void BM_WalkLargeNetwork(benchmark::State& state) {
  SimNetwork net(quilbert::sim::generatedNetwork(10, 100, 100));
  std::size_t found = 0;
  for (auto _ : state) found = quilbert::sim::testing::walkNetwork(net).found.size();
  state.counters["resources"] = static_cast<double>(found);
}
BENCHMARK(BM_WalkLargeNetwork)->Unit(benchmark::kMillisecond);

// One detection pass: the 26 letters, each re-reading a state file that holds
// ten connections.
void BM_DriveLettersFromTheStateFile(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "quilbert-sim-bench";
  std::filesystem::create_directories(dir);
  SimNetwork net(quilbert::sim::generatedNetwork(1, 1, 10), dir / "network.state");
  for (char l = 'P'; l <= 'Y'; ++l) {
    NetResource r;
    r.localName = std::string{l, ':'};
    const int n = l - 'P' + 1;
    r.remoteName = "\\\\GEN01-SRV001\\share0" + std::string(n < 10 ? "0" : "") + std::to_string(n);
    net.addConnection(r, "", "", 0);
  }
  int found = 0;
  for (auto _ : state) {
    found = 0;
    for (char l = 'A'; l <= 'Z'; ++l) found += net.getDrive(l).has_value() ? 1 : 0;
  }
  state.counters["drives"] = found;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DriveLettersFromTheStateFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
