// The message dialog and the status window as real Qt windows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "platform/linux/file_registry.h"
#include "platform/linux/linux_process.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_network.h"
#include "qt_test_support.h"
#include "ui/common/dialog.h"
#include "ui/common/program.h"
#include "ui/common/splash.h"

namespace quilbert {
namespace {

using qtview::QtToolkit;

sim::NetworkSpec emptyNetwork() {
  sim::NetworkSpec spec;
  spec.user = "Claire";
  return spec;
}

class QtCommonWindows : public ::testing::Test {
 protected:
  QtCommonWindows() {
    QDir(dir.path()).mkdir("run");
    QFile::setPermissions(dir.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QApplication& app = qtview::testing::app();  // before the toolkit
  QTemporaryDir dir;
  sim::SimNetwork network{emptyNetwork()};
  platform::FileRegistry registry{dir.filePath("config").toStdString()};
  platform::LinuxProcess process{0, nullptr, dir.filePath("run").toStdString()};
  QtToolkit tk{&network};
  app::Services svc{network, network, registry, process};
  ui::ProgramState g{tk, svc};

  // Clicks a button of the dialog once it is on screen.
  void clickWhenShown(ui::DialogForm*& shown, const char* button) {
    QTimer::singleShot(100, [&shown, button] {
      ASSERT_NE(shown, nullptr);
      auto* widget = qobject_cast<QAbstractButton*>(
          QtToolkit::widgetOf(shown->get<forms::PushButton>(button)));
      ASSERT_NE(widget, nullptr);
      ASSERT_TRUE(widget->isVisible());
      widget->click();
    });
  }
};

TEST_F(QtCommonWindows, DialogAnswersThroughItsRealButtonsAndFitsALongMessage) {
  ui::DialogForm* shown = nullptr;
  int widthShort = 0;
  clickWhenShown(shown, "NonButton");
  ui::ShowDialog(g.program, "Court ?", ui::kDialogYesNo, ui::kIconWarning, "Titre",
                 [&](ui::DialogForm& d) {
                   shown = &d;
                   widthShort = d.width();
                 });
  EXPECT_EQ(g.state.DialogResult, ui::kAnswerNo);

  shown = nullptr;
  int widthLong = 0;
  int labelWidth = 0;
  clickWhenShown(shown, "OKButton");
  ui::ShowDialog(g.program, std::string(120, 'W'), ui::kDialogOk, ui::kIconInformation, "Titre",
                 [&](ui::DialogForm& d) {
                   shown = &d;
                   widthLong = d.width();
                   labelWidth = d.txtmessage.width();
                 });
  EXPECT_EQ(g.state.DialogResult, ui::kAnswerOk);
  // Measured with the font really used: the form grew by what the label grew.
  EXPECT_GT(labelWidth, 1695);
  EXPECT_EQ(widthLong - widthShort, labelWidth - 1695);
}

// Every kind, short and long: what is shown lies inside the window, whatever
// the real font's metrics. With QUILBERT_SCREENSHOT_DIR set, each is saved.
TEST_F(QtCommonWindows, EveryDialogKindFitsItsMessage) {
  const std::string longText =
      "Impossible de joindre le serveur de fichiers demandé pour le moment.\r\n"
      "Vérifiez le câble réseau, puis réessayez.\r\n(F: \\\\ATLAS\\documents)";
  int shot = 0;
  for (int kind : {ui::kDialogOk, ui::kDialogYesNo, ui::kDialogYesNoCancel}) {
    for (const std::string& text : {std::string("Court."), longText}) {
      ui::DialogForm* shown = nullptr;
      QTimer::singleShot(100, [&] {
        ASSERT_NE(shown, nullptr);
        QWidget* client = QtToolkit::widgetOf(shown->txtmessage)->parentWidget();
        const QRect inside = client->rect();
        for (const char* name : {"OKButton", "OuiButton", "NonButton", "CancelButton"}) {
          QWidget* b = QtToolkit::widgetOf(shown->get<forms::PushButton>(name));
          if (b->isVisible()) {
            EXPECT_TRUE(inside.contains(b->geometry())) << name << " kind " << kind;
          }
        }
        auto* label = qobject_cast<QLabel*>(QtToolkit::widgetOf(shown->txtmessage));
        EXPECT_TRUE(inside.contains(label->geometry())) << "kind " << kind;
        EXPECT_GE(label->width(), label->sizeHint().width());
        if (const char* dir = std::getenv("QUILBERT_SCREENSHOT_DIR")) {
          QtToolkit::windowOf(*shown)->grab().save(
              QString("%1/dialog-%2.png").arg(dir).arg(++shot));
        }
        shown->keyDown(forms::kKeyEscape);
      });
      ui::ShowDialog(g.program, text, kind, ui::kIconWarning, "Titre",
                     [&](ui::DialogForm& d) { shown = &d; });
    }
  }
}

TEST_F(QtCommonWindows, StatusWindowClosesItselfAfterItsIntervalOnceDrawn) {
  QElapsedTimer clock;
  clock.start();
  ui::showStatus(g.program, "Connexions établies : \r\n2/3", 300, 1);
  const auto elapsed = clock.elapsed();
  EXPECT_GE(elapsed, 300);
  EXPECT_LT(elapsed, 3000);
}

}  // namespace
}  // namespace quilbert
