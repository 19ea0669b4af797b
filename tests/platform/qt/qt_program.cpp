#include "platform/qt/qt_program.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "app/config.h"
#include "app/text.h"
#include "platform/qt/qt_test_support.h"

namespace quilbert::qtview::testing {

namespace fs = std::filesystem;

QtBackend::QtBackend() : tk((app(), static_cast<platform::Network*>(nullptr))) {}

QtProgram::QtProgram(const std::string& commandLine, const sim::NetworkSpec& spec)
    : ProgramParts(tk, commandLine, spec) {
  tk.setNetwork(network.get());  // the share browser walks the program's network
}

QtProgram::~QtProgram() {
  // A loaded main window unloads before the toolkit goes.
  if (main && main->loaded()) main->unload();
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
