// The network walk over generated networks of workgroups x servers x shares,
// on the headless backend: time per walk and the process's peak memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdlib>
#include <new>

#include "ui/report/net_resources.h"
#include "ui/report/scripted_network.h"

// With the Qt backend in the build, the same walk into a real list widget.
#if __has_include(<QtWidgets/QApplication>)
#define QUILBERT_BENCH_QT 1
#include "platform/qt/qt_toolkit.h"
#endif

// Heap bytes in use and their high-water mark, so that the walk's own peak
// can be told apart from the network it walks (the process's peak RSS keeps
// memory that earlier runs freed).
namespace heap {
std::size_t inUse = 0;
std::size_t peak = 0;
}  // namespace heap

void* operator new(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  heap::inUse += malloc_usable_size(p);
  heap::peak = std::max(heap::peak, heap::inUse);
  return p;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  heap::inUse -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, std::size_t /*n*/) noexcept {
  operator delete(p);
}

namespace {

using quilbert::testing::resource;
using quilbert::testing::ScriptedNetwork;

void buildNetwork(ScriptedNetwork& net, int workgroups, int servers, int shares) {
  const int provider = net.add(ScriptedNetwork::kTop, resource(6, true, "Test Network"));
  for (int w = 0; w < workgroups; ++w) {
    const int wg = net.add(provider, resource(1, true, "WG" + std::to_string(w)));
    for (int s = 0; s < servers; ++s) {
      const std::string server = "\\\\W" + std::to_string(w) + "S" + std::to_string(s);
      const int srv = net.add(wg, resource(2, true, server, "server " + std::to_string(s)));
      for (int k = 0; k < shares; ++k) {
        net.add(srv, resource(3, false, server + "\\share" + std::to_string(k),
                              k % 3 == 0 ? std::optional<std::string>{} : "a shared folder"));
      }
    }
  }
}

long peakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void BM_EnumNetResources(benchmark::State& state) {
  const auto workgroups = static_cast<int>(state.range(0));
  const auto servers = static_cast<int>(state.range(1));
  const auto shares = static_cast<int>(state.range(2));
  quilbert::testing::ScriptedProgram p;
  buildNetwork(p.net, workgroups, servers, shares);
  std::size_t lines = 0;
  std::size_t walkPeak = 0;
  for (auto _ : state) {
    const std::size_t base = heap::inUse;
    heap::peak = base;
    quilbert::forms::Form window(p.tk, "Form1");
    auto& text2 = window.add<quilbert::forms::ListBox>("text2");
    window.load();
    quilbert::ui::EnumNetResources(p.net, p.g.texts, window, text2);
    lines = text2.items().size();
    walkPeak = heap::peak - base;
    benchmark::DoNotOptimize(lines);
  }
  const auto resources = 1 + workgroups + workgroups * servers * (1 + shares);
  state.SetComplexityN(resources);
  state.counters["resources"] = static_cast<double>(resources);
  state.counters["lines"] = static_cast<double>(lines);
  // Heap peak of one walk, the report's list included, over the network's.
  state.counters["walk_heap_MB"] = static_cast<double>(walkPeak) / (1024.0 * 1024.0);
  state.counters["bytes_per_resource"] = static_cast<double>(walkPeak) / resources;
  state.counters["process_peak_MB"] = static_cast<double>(peakRssKb()) / 1024.0;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * resources);
}

BENCHMARK(BM_EnumNetResources)
    ->Args({1, 10, 100})
    ->Args({10, 10, 100})
    ->Args({10, 100, 100})
    ->Args({20, 100, 100})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

#ifdef QUILBERT_BENCH_QT
void BM_EnumNetResourcesQt(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "enum_bench";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static quilbert::qtview::QtToolkit qt(argc, argv);
  quilbert::testing::ScriptedProgram p;
  buildNetwork(p.net, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
               static_cast<int>(state.range(2)));
  quilbert::ui::ProgramState g(qt, p.svc);
  for (int n = 0; n < quilbert::app::kCatalogueSize; ++n) g.texts.setEntry(n, p.g.texts.msg(n));
  std::size_t lines = 0;
  for (auto _ : state) {
    quilbert::forms::Form window(qt, "Form1");
    window.setClientSize({8835, 5190});
    auto& text2 = window.add<quilbert::forms::ListBox>("text2");
    text2.move({90, 750, 4515, 4350});
    window.show();
    quilbert::ui::EnumNetResources(p.net, g.texts, window, text2);
    lines = text2.items().size();
    window.unload();
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["process_peak_MB"] = static_cast<double>(peakRssKb()) / 1024.0;
}
BENCHMARK(BM_EnumNetResourcesQt)
    ->Args({1, 10, 100})
    ->Args({10, 100, 100})
    ->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
