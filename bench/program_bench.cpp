// What a user waits for: reading the files at start, the automatic pass, a
// reload after Save or Cancel, a connect pass and the drive detection.
// Status windows wait on the headless clock, so only the program's own work
// is timed.
#include <benchmark/benchmark.h>

#include "app/catalogue.h"
#include "app/config.h"
#include "net/connect_pass.h"
#include "support/test_program.h"

namespace {

using quilbert::testing::TestProgram;

// One server with a share per letter, no local drive: all 26 letters connect.
quilbert::sim::NetworkSpec wideNetwork() {
  auto spec = quilbert::testing::smallNetwork();
  spec.drives.fill(quilbert::sim::kNoDrive);
  auto& server = spec.providers[0].workgroups[0].servers[0];
  for (char c = 'a'; c <= 'z'; ++c) {
    quilbert::sim::ShareSpec share;
    share.name = std::string("share_") + c;
    share.comment = "Share";
    server.shares.push_back(share);
  }
  return spec;
}

std::vector<std::pair<char, std::string>> allActive() {
  std::vector<std::pair<char, std::string>> drives;
  for (char c = 'A'; c <= 'Z'; ++c) {
    drives.emplace_back(c, TestProgram::driveLine(
                               "1", c, "claire", "secret",
                               std::string("\\\\SRV\\share_") + static_cast<char>(c - 'A' + 'a')));
  }
  return drives;
}

void BM_ReadConfiguration(benchmark::State& state) {
  TestProgram p("", wideNetwork());
  p.writeConfig(TestProgram::config(allActive()));
  p.g->places.SettingsDir = p.settingsDir.string() + "/";
  p.g->places.ConfigFileName = "claire.ini";
  for (auto _ : state) {
    p.g->config.read(p.g->places.configPath());
    benchmark::DoNotOptimize(p.g->config.DriveTable);
  }
}
BENCHMARK(BM_ReadConfiguration);

void BM_LoadCatalogue(benchmark::State& state) {
  TestProgram p;
  p.g->places.LangDir = p.appDir.string() + "/lang/";
  p.g->config.LanguageFile = "langage_fr.txt";
  for (auto _ : state) {
    p.g->texts.load(p.g->places.LangDir, p.g->config.LanguageFile);
    benchmark::DoNotOptimize(p.g->texts);
  }
}
BENCHMARK(BM_LoadCatalogue);

void BM_AutomaticPass26Letters(benchmark::State& state) {
  TestProgram p("/a", wideNetwork());
  p.writeConfig(TestProgram::config(allActive(), "ores"));
  p.start();
  // The pass alone: no status window to wait on.
  quilbert::net::PassObserver quiet;
  for (auto _ : state) {
    quilbert::net::cancelAllLetters(*p.svc, p.g->texts);
    const auto r =
        quilbert::net::connectItems(*p.svc, p.g->texts, quilbert::net::automaticItems(p.g->config),
                                    quilbert::net::PassKind::Automatic, quiet);
    if (r.succeeded != 26) state.SkipWithError("not every letter connected");
  }
}
BENCHMARK(BM_AutomaticPass26Letters)->Unit(benchmark::kMicrosecond);

void BM_ConnectPass26Letters(benchmark::State& state) {
  TestProgram p("/qelvo", wideNetwork());
  p.writeConfig(TestProgram::config(allActive()));
  p.start();
  p.main->nomuser.setText("claire");
  p.main->password.setText("secret");
  for (auto _ : state) p.main->connection_Click();
}
BENCHMARK(BM_ConnectPass26Letters)->Unit(benchmark::kMicrosecond);

void BM_Reload(benchmark::State& state) {
  TestProgram p("/qelvo", wideNetwork());
  p.writeConfig(TestProgram::config(allActive()));
  p.start();
  for (auto _ : state) p.main->annulmodif_Click();
}
BENCHMARK(BM_Reload)->Unit(benchmark::kMicrosecond);

void BM_Detection26Letters(benchmark::State& state) {
  TestProgram p("/qelvo");  // local drives C and D
  p.writeConfig(TestProgram::config(allActive()));
  p.start();
  for (auto _ : state) p.main->detectionlecteur();
}
BENCHMARK(BM_Detection26Letters)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
