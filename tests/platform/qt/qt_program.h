// The whole program on the Qt backend, for tests that go through the real
// widgets: the simulated network, the file-backed registry and the Linux
// process services in a temporary folder, as support/test_program does for
// the headless backend.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/file_registry.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_network.h"
#include "support/test_program.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/main/program_windows.h"

namespace quilbert::qtview::testing {

// The backend comes first, so that it outlives the windows; it needs the
// tests' QApplication (qt_test_support.h app()).
struct QtBackend {
  QtBackend();
  QtToolkit tk;
};

class QtProgram : public QtBackend, public quilbert::testing::ProgramParts {
 public:
  explicit QtProgram(const std::string& commandLine = "/qelvo",
                     const sim::NetworkSpec& network = quilbert::testing::smallNetwork());
  ~QtProgram();

  // Loads the main window as the program does at start.
  void start();

  // Once a modal window of that form name is up (within timeoutMs), runs
  // `act` on its top-level widget from inside the modal loop. The returned
  // flag says whether it ran.
  std::shared_ptr<bool> whenModal(const QString& formName, std::function<void(QWidget*)> act,
                                  int timeoutMs = 5000);
};

// A child widget of a window by object name (control name, "(i)" for arrays).
template <class W>
W* child(QWidget* window, const QString& name) {
  return window != nullptr ? window->findChild<W*>(name) : nullptr;
}

}  // namespace quilbert::qtview::testing
