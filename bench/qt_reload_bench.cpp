// Reloading the filled main window (the Cancel button: Form_Load again) on
// the Qt backend, offscreen, with the demo network and configuration: what a
// user waits for after each click on it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_network.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace {

namespace fs = std::filesystem;
using namespace quilbert;

const fs::path kSource = fs::path(__FILE__).parent_path().parent_path();

// The program folder is the source tree (lang/ and ico/ are there).
class BenchProcess : public platform::LinuxProcess {
 public:
  explicit BenchProcess(const std::string& runtime) : LinuxProcess(0, nullptr, runtime) {}
  std::string appDir() override { return kSource.string() + "/"; }
  std::string commandLine() override { return "/qelvo"; }
};

struct Program {
  fs::path dir;
  std::unique_ptr<sim::SimNetwork> network;
  std::unique_ptr<platform::FileRegistry> registry;
  std::unique_ptr<BenchProcess> process;
  std::unique_ptr<app::Services> svc;
  std::unique_ptr<ui::ProgramState> g;
  std::unique_ptr<ui::ConnectWindow> main;
  std::unique_ptr<ui::ProgramWindows> windows;

  explicit Program(qtview::QtToolkit& tk) {
    std::random_device rd;
    dir = fs::temp_directory_path() / ("quilbert-bench-" + std::to_string(rd()));
    fs::create_directories(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    fs::create_directories(dir / "config" / "quilbert");
    fs::copy_file(kSource / "demo" / "claire.ini", dir / "config" / "quilbert" / "claire.ini");
    fs::copy_file(kSource / "demo" / "network.toml", dir / "network.toml");
    network = sim::SimNetwork::open(dir / "network.toml");
    registry = std::make_unique<platform::FileRegistry>((dir / "config").string());
    process = std::make_unique<BenchProcess>((dir / "run").string());
    svc = std::make_unique<app::Services>(app::Services{*network, *network, *registry, *process});
    g = std::make_unique<ui::ProgramState>(tk, *svc);
    g->state.CommandLine = "/qelvo";
    main = std::make_unique<ui::ConnectWindow>(g->program);
    windows = std::make_unique<ui::ProgramWindows>(g->program, *main);
    main->load();
    tk.processEvents();
  }
  ~Program() {
    windows.reset();
    if (main->loaded()) main->unload();
    main.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
};

qtview::QtToolkit& toolkit() {
  static int argc = 1;
  static char name[] = "qt_reload_bench";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static qtview::QtToolkit tk(argc, argv);
  return tk;
}

// The reload itself, as the click runs it (the model and widget updates).
void BM_ReloadMainWindow(benchmark::State& state) {
  auto& tk = toolkit();
  Program p(tk);
  for (auto _ : state) p.main->annulmodif_Click();
  // What was reloaded: the rows, and those with a share path.
  state.counters["rows"] = p.main->rowCount();
  int filled = 0;
  for (int i = 1; i <= p.main->rowCount(); ++i)
    filled += p.main->Cheminreseau(i).text().empty() ? 0 : 1;
  state.counters["paths"] = filled;
  state.counters["shown"] = qtview::QtToolkit::windowOf(*p.main)->isVisible() ? 1 : 0;
}
BENCHMARK(BM_ReloadMainWindow)->Unit(benchmark::kMillisecond);

// The reload and what the user then sees: the events it caused and the whole
// window drawn again (more than a reload that changed nothing needs).
void BM_ReloadMainWindowAndDraw(benchmark::State& state) {
  auto& tk = toolkit();
  Program p(tk);
  for (auto _ : state) {
    p.main->annulmodif_Click();
    tk.processEvents();
    tk.repaint(*p.main);
  }
}
BENCHMARK(BM_ReloadMainWindowAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
