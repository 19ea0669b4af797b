#include "platform/qt/qt_program.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "app/config.h"
#include "app/text.h"
#include "platform/qt/qt_test_support.h"

namespace quilbert::qtview::testing {

namespace fs = std::filesystem;

QtProgram::QtProgram(std::string commandLine, const sim::NetworkSpec& spec)
    : tk((app(), static_cast<platform::Network*>(nullptr))) {
  appDir = dir.path() / "app";
  fs::create_directories(appDir);
  const fs::path source = QUILBERT_SOURCE_DIR;
  std::error_code ec;
  fs::copy(source / "lang", appDir / "lang", fs::copy_options::recursive, ec);
  fs::copy(source / "ico", appDir / "ico", fs::copy_options::recursive, ec);
  fs::create_directories(dir.path() / "run");
  fs::permissions(dir.path() / "run", fs::perms::owner_all, ec);
  network = std::make_unique<sim::SimNetwork>(spec, dir.path() / "network.state");
  registry = std::make_unique<platform::FileRegistry>((dir.path() / "config").string());
  process = std::make_unique<quilbert::testing::TestProcess>(commandLine, appDir.string() + "/",
                                                             (dir.path() / "run").string());
  g = std::make_unique<app::Globals>(
      app::Services{tk, *network, *network, *registry, *process, &statusLog});
  g->CommandLine = commandLine;
  settingsDir = dir.path() / "config" / "quilbert";
  main = std::make_unique<ui::ConnectWindow>(*g);
  windows = std::make_unique<ui::ProgramWindows>(*g, *main);
}

QtProgram::~QtProgram() {
  // Forms go before the toolkit, the main window last (the others hang on it).
  windows.reset();
  if (main && main->loaded()) main->unload();
  main.reset();
}

fs::path QtProgram::configPath() const {
  return settingsDir / "claire.ini";
}

void QtProgram::writeConfig(const std::vector<std::string>& lines) const {
  std::string bytes;
  for (const auto& l : lines) bytes += *app::utf8ToCp1252(l) + "\r\n";
  quilbert::testing::writeFile(configPath(), bytes);
}

std::vector<std::string> QtProgram::configLines() const {
  const std::string text = app::cp1252ToUtf8(quilbert::testing::readFile(configPath()));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void QtProgram::start() {
  main->load();
}

std::shared_ptr<bool> QtProgram::whenModal(const QString& formName,
                                           std::function<void(QWidget*)> act, int timeoutMs) {
  auto ran = std::make_shared<bool>(false);
  auto* poll = new QTimer();
  auto waited = std::make_shared<int>(0);
  constexpr int kStep = 10;
  QObject::connect(poll, &QTimer::timeout, poll, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && modal->objectName() == formName) {
      poll->stop();
      poll->deleteLater();
      *ran = true;
      act(modal);
      return;
    }
    *waited += kStep;
    if (*waited > timeoutMs) {
      poll->stop();
      poll->deleteLater();
    }
  });
  poll->start(kStep);
  return ran;
}

}  // namespace quilbert::qtview::testing
