// The real program's windows on the Qt backend, driven through their widgets:
// what a user clicks and types reaches the program's handlers, and what the
// handlers do shows in the widgets.
#include "platform/qt/qt_program.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <set>

#include "app/config.h"
#include "net/primitives.h"
#include "platform/qt/qt_test_support.h"

namespace quilbert::qtview {
namespace {

using quilbert::testing::TestProgram;
using testing::child;
using testing::focusName;
using testing::key;
using testing::mouseClick;
using testing::QtProgram;
using testing::typeText;

void userClick(QWidget* w) {
  ASSERT_NE(w, nullptr);
  mouseClick(w);
}

QStringList rows(QWidget* list) {
  QStringList out;
  auto* view = qobject_cast<QAbstractItemView*>(list);
  if (view == nullptr) return out;
  QAbstractItemModel* m = view->model();
  for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 0).data().toString();
  return out;
}

// The focusable controls of a window that a screen reader could not name.
std::vector<std::string> unnamedControls(QWidget* window) {
  std::vector<std::string> unnamed;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(window)) continue;
    if (QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).trimmed().isEmpty()) {
      unnamed.push_back(w->objectName().toStdString());
    }
  }
  return unnamed;
}

class QtProgramTest : public ::testing::Test {
 protected:
  void startWith(const std::vector<std::pair<char, std::string>>& drives) {
    p.writeConfig(TestProgram::config(drives));
    p.start();
    window = QtToolkit::windowOf(*p.main);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
  }
  static std::string line(char letter, const std::string& path, const std::string& active) {
    return TestProgram::driveLine(active, letter, "", "", path);
  }
  QWidget* widget(const forms::Control& c) { return QtToolkit::widgetOf(c); }

  QtProgram p;
  QWidget* window = nullptr;
};

TEST_F(QtProgramTest, RowWidgetsReachTheirHandlers) {
  startWith({{'E', line('E', "\\\\SRV\\docs", "0")}});
  // The test button of row E: a modal message, answered by its own OK button.
  QString message;
  std::vector<std::string> unnamed;
  auto answered = p.whenModal("Dialog", [&](QWidget* dialog) {
    message = child<QLabel>(dialog, "txtmessage")->text();
    unnamed = unnamedControls(dialog);
    child<QPushButton>(dialog, "OKButton")->click();
  });
  qobject_cast<QToolButton*>(widget(p.main->Test(5)))->click();
  ASSERT_TRUE(*answered);
  EXPECT_EQ(message.toStdString(), p.g->texts.msg(55));
  EXPECT_EQ(unnamed, std::vector<std::string>{}) << "a screen reader cannot name these";
  EXPECT_TRUE(p.main->EntryModified);

  // Typing a path into an empty row's box: its test button and Save come on.
  QtProgram fresh;
  fresh.writeConfig(TestProgram::config({}));
  fresh.start();
  auto* path = qobject_cast<QLineEdit*>(QtToolkit::widgetOf(fresh.main->Cheminreseau(7)));
  ASSERT_NE(path, nullptr);
  EXPECT_FALSE(QtToolkit::widgetOf(fresh.main->Test(7))->isEnabled());
  ASSERT_TRUE(testing::activate(path->window()));
  userClick(path);
  testing::typeText("\\\\SRV\\docs");
  EXPECT_EQ(fresh.main->Cheminreseau(7).text(), "\\\\SRV\\docs");
  EXPECT_TRUE(fresh.main->EntryModified);
  EXPECT_TRUE(QtToolkit::widgetOf(fresh.main->Test(7))->isEnabled());
  EXPECT_TRUE(QtToolkit::widgetOf(fresh.main->modif)->isEnabled());
}

TEST_F(QtProgramTest, ALongPathShowsItsStartWheneverTheProgramSetsIt) {
  std::string longPath = "\\\\SRV\\docs";
  for (int i = 1; i <= 12; ++i) longPath += "\\dossier_tres_long_" + std::to_string(i);
  startWith({{'E', line('E', longPath, "0")}});
  auto* box = qobject_cast<QLineEdit*>(widget(p.main->Cheminreseau(5)));
  EXPECT_EQ(box->cursorPosition(), 0);  // at a fresh start
  // Typed at its end, then saved: the reload shows the start again.
  ASSERT_TRUE(testing::activate(window));
  userClick(box);
  key(Qt::Key_End);
  typeText("\\fin");
  userClick(widget(p.main->modif));
  EXPECT_EQ(p.main->Cheminreseau(5).text(), longPath + "\\fin");
  EXPECT_EQ(box->cursorPosition(), 0);
}

TEST_F(QtProgramTest, TypingKeepsTheFocusAndTabFollowsTheRows) {
  startWith({{'E', line('E', "\\\\SRV\\docs", "0")}});
  ASSERT_TRUE(testing::activate(window));
  auto* pathE = qobject_cast<QLineEdit*>(widget(p.main->Cheminreseau(5)));
  userClick(pathE);
  // Ctrl+A then a path with capitals (Shift) and backslashes (AltGr): every
  // character lands in the box, which keeps the focus throughout.
  key(Qt::Key_A, Qt::ControlModifier);
  typeText("\\\\ATLAS\\Projets");
  EXPECT_EQ(p.main->Cheminreseau(5).text(), "\\\\ATLAS\\Projets");
  EXPECT_EQ(focusName(), "Cheminreseau(5)");
  key(Qt::Key_Z, Qt::AltModifier);  // no menu has that access key
  EXPECT_EQ(focusName(), "Cheminreseau(5)");

  // Tab goes through each row (check box, path, browse, test), skipping what
  // is disabled (row F's empty test button), and Shift+Tab comes back.
  const std::vector<std::string> forward = {"Parcourir(5)", "Test(5)", "lettreactive(6)",
                                            "Cheminreseau(6)", "Parcourir(6)"};
  for (const std::string& name : forward) {
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), name);
  }
  // A letter typed on a check box is not for it: the focus stays.
  key(Qt::Key_Tab);
  typeText("Q");
  EXPECT_EQ(focusName(), "lettreactive(7)");
  for (auto it = forward.rbegin(); it != forward.rend(); ++it) {
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusName(), *it);
  }
  // After the last row, the user box, then the commands.
  userClick(widget(p.main->Cheminreseau(26)));
  for (const char* name : {"Parcourir(26)", "nomuser", "password", "modif"}) {
    key(Qt::Key_Tab);
    EXPECT_EQ(focusName(), name);
  }
}

TEST_F(QtProgramTest, ShareBrowserOffersOkOnAShareAndADoubleClickTakesIt) {
  startWith({});
  std::string title;
  std::string okText;
  std::string cancelText;
  std::vector<bool> okEnabled;  // on the ready browser, the server, the share
  auto browsed = p.whenModal("folderBrowser", [&](QWidget* dialog) {
    title = dialog->windowTitle().toStdString();
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    okText = ok->text().toStdString();
    cancelText = buttons->button(QDialogButtonBox::Cancel)->text().toStdString();
    okEnabled.push_back(ok->isEnabled());
    auto* tree = dialog->findChild<QTreeWidget*>();
    if (testing::activate(dialog)) {
      tree->setFocus();
      // Down to the network, open it; down to the workgroup, open it; down
      // to the server, open it; down to its first share.
      for (int level = 0; level < 3; ++level) {
        key(Qt::Key_Down);
        key(Qt::Key_Right);
      }
      okEnabled.push_back(ok->isEnabled());
      key(Qt::Key_Down);
      okEnabled.push_back(ok->isEnabled());
      QTreeWidgetItem* share = tree->currentItem();
      if (share != nullptr && share->text(0) == "docs") {
        // Through the window, as the window system delivers a double click.
        QWindow* handle = dialog->windowHandle();
        const QPoint at = tree->viewport()->mapToGlobal(tree->visualItemRect(share).center());
        QTest::mouseDClick(handle, Qt::LeftButton, Qt::NoModifier, handle->mapFromGlobal(at));
      }
    }
    if (dialog->isVisible()) buttons->button(QDialogButtonBox::Cancel)->click();
  });
  userClick(widget(p.main->Parcourir(7)));
  ASSERT_TRUE(*browsed);
  EXPECT_EQ(title, p.main->caption());
  EXPECT_EQ(okText, p.g->texts.msg(179));
  EXPECT_EQ(cancelText, p.g->texts.msg(182));
  EXPECT_EQ(okEnabled, (std::vector<bool>{false, false, true}));
  // The double click chose the share: the row takes it, ticked.
  EXPECT_EQ(p.main->Cheminreseau(7).text(), "\\\\SRV\\docs");
  EXPECT_EQ(p.main->lettreactive(7).value(), 1);
}

// The part of a label's drawing that differs from its background, drawn with
// three times its height of room below it.
QRect inkOf(QLabel* label) {
  const QSize designed = label->size();
  label->resize(designed.width(), designed.height() * 3);
  const QImage image = label->grab().toImage();
  label->resize(designed);
  const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
  QRect ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != background) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

TEST_F(QtProgramTest, HelpWindowShowsAllOfItsText) {
  startWith({});
  window->findChild<QAction*>("aide")->trigger();
  QWidget* help = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "Form_aide" && w->isVisible()) help = w;
  }
  ASSERT_NE(help, nullptr);
  const auto labels = help->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 9);
  for (QLabel* label : labels) {
    // Cut text would reach the right edge, or need room below the label.
    const QRect ink = inkOf(label);
    EXPECT_FALSE(ink.isEmpty()) << label->objectName().toStdString();
    EXPECT_LT(ink.right(), label->width() - 1) << label->text().toStdString();
    EXPECT_LT(ink.bottom(), label->height()) << label->text().toStdString();
    const QRect inClient = QRect(label->mapTo(help, QPoint(0, 0)), label->size());
    EXPECT_TRUE(help->rect().contains(inClient)) << label->text().toStdString();
  }
}

TEST_F(QtProgramTest, TheCloseBoxAsksBeforeLosingAnEditButNotWhenTheSessionEnds) {
  startWith({});
  const std::string before = quilbert::testing::readFile(p.configPath());
  ASSERT_TRUE(testing::activate(window));
  userClick(widget(p.main->Cheminreseau(5)));
  typeText("\\\\SRV\\docs");
  // The window manager's close: Cancel keeps the window, No lets it go.
  for (const char* answer : {"CancelButton", "NonButton"}) {
    auto asked = p.whenModal(
        "Dialog", [answer](QWidget* dialog) { child<QPushButton>(dialog, answer)->click(); });
    window->windowHandle()->close();
    EXPECT_TRUE(*asked) << answer;
  }
  EXPECT_FALSE(p.main->loaded());
  EXPECT_EQ(quilbert::testing::readFile(p.configPath()), before);

  QtProgram ending;
  ending.writeConfig(TestProgram::config({}));
  ending.start();
  ending.main->Cheminreseau(5).setText("\\\\SRV\\docs");
  ending.tk.noteSessionEnding();
  auto asked = ending.whenModal(
      "Dialog", [](QWidget* dialog) { child<QPushButton>(dialog, "CancelButton")->click(); }, 200);
  QtToolkit::windowOf(*ending.main)->windowHandle()->close();
  EXPECT_FALSE(ending.main->loaded());
  QTest::qWait(250);  // long enough for a question to have shown
  EXPECT_FALSE(*asked);
}

TEST_F(QtProgramTest, AMinimizedWindowComesBackByTheTrayIconAndASecondStart) {
  startWith({});
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  // Some window managers minimize it all the same.
  window->showMinimized();
  ASSERT_TRUE(window->isMinimized());
  p.tk.trayActivated(*p.main, QSystemTrayIcon::DoubleClick);
  EXPECT_FALSE(window->isMinimized());
  EXPECT_TRUE(window->isVisible());
  window->showMinimized();
  p.main->bringBack();  // what a second start asks of the running one
  EXPECT_FALSE(window->isMinimized());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(QtProgramTest, CheckBoxClicksToggleAndAnEmptyRowBeepsBack) {
  startWith({{'E', line('E', "\\\\SRV\\docs", "0")}});
  auto* box = qobject_cast<QCheckBox*>(widget(p.main->lettreactive(5)));
  ASSERT_NE(box, nullptr);
  userClick(box);
  EXPECT_EQ(p.main->lettreactive(5).value(), 1);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  userClick(box);
  EXPECT_EQ(p.main->lettreactive(5).value(), 0);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  // Row H has no path: the tick is refused with a beep and the box stays clear.
  auto* empty = qobject_cast<QCheckBox*>(widget(p.main->lettreactive(8)));
  const int beeps = p.tk.beeps();
  userClick(empty);
  EXPECT_EQ(p.main->lettreactive(8).value(), 0);
  EXPECT_EQ(empty->checkState(), Qt::Unchecked);
  EXPECT_EQ(p.tk.beeps(), beeps + 1);
}

TEST_F(QtProgramTest, ThemeMenuAndTrayActivationWorkThroughQt) {
  startWith({});
  auto* theme = window->findChild<QAction*>("icone(3)");
  ASSERT_NE(theme, nullptr);
  theme->trigger();
  EXPECT_EQ(p.configLines()[27], "beos");
  EXPECT_TRUE(theme->isChecked());
  EXPECT_FALSE(window->findChild<QAction*>("icone(1)")->isChecked());
  auto* quit = qobject_cast<QToolButton*>(widget(p.main->Command1));
  EXPECT_EQ(quit->icon().isNull(), false);

  // No notification area offscreen: Reduce says so and minimizes the window;
  // the icon's double click brings it back, a single click does not.
  auto told = p.whenModal("Dialog",
                          [](QWidget* dialog) { child<QPushButton>(dialog, "OKButton")->click(); });
  qobject_cast<QToolButton*>(widget(p.main->bt_reduc))->click();
  EXPECT_TRUE(*told);
  EXPECT_TRUE(window->isMinimized());
  p.tk.trayActivated(*p.main, QSystemTrayIcon::Trigger);
  EXPECT_TRUE(window->isMinimized());
  p.tk.trayActivated(*p.main, QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(window->isVisible() && !window->isMinimized());
  EXPECT_TRUE(p.main->visible());
}

TEST_F(QtProgramTest, ReportListsDrivesAndResourcesThenClosesByItsButton) {
  startWith({});
  platform::NetResource r;
  r.localName = "E:";
  r.remoteName = "\\\\SRV\\docs";
  ASSERT_EQ(p.network->addConnection(r, "", "", 0), 0);
  QStringList drives;
  QStringList resources;
  std::vector<std::string> unnamed;
  auto opened = p.whenModal("Form1", [&](QWidget* report) {
    // The walk starts from a timer once the window is drawn; wait until it is done.
    auto* poll = new QTimer(report);
    QObject::connect(poll, &QTimer::timeout, poll, [&, report, poll] {
      QWidget* list = child<QWidget>(report, "text2");
      if (p.tk.mousePointer() != forms::MousePointer::Default || rows(list).isEmpty()) return;
      poll->stop();
      drives = rows(child<QWidget>(report, "text1"));
      resources = rows(list);
      unnamed = unnamedControls(report);
      child<QPushButton>(report, "Command1")->click();
    });
    poll->start(20);
  });
  auto* reportAction = window->findChild<QAction*>("Rapport");
  ASSERT_NE(reportAction, nullptr);
  reportAction->trigger();  // returns once the modal report has closed
  ASSERT_TRUE(*opened);
  EXPECT_EQ(drives,
            QStringList{QString::fromStdString(p.g->texts.msg(115) + " E: - \\\\SRV\\docs")});
  EXPECT_TRUE(resources.contains("\\\\SRV\\docs Documents"));
  EXPECT_TRUE(resources.contains("\\\\SRV\\photos Photos"));
  EXPECT_TRUE(resources.contains("\\\\SRV Serveur"));
  EXPECT_FALSE(p.windows->report.isOpen());
  EXPECT_EQ(unnamed, std::vector<std::string>{}) << "a screen reader cannot name these";
}

// Each row shows whether its letter is connected, and why not in its tip:
// at start, after the person's Connect, and when the command line changed
// the connections behind the window.
TEST_F(QtProgramTest, RowsShowWhichLettersAreConnectedAndWhyNot) {
  ASSERT_TRUE(p.connectBeforehand('E', "\\\\SRV\\docs"));
  startWith({{'E', line('E', "\\\\SRV\\docs", "1")},
             {'F', line('F', "\\\\OFF\\data", "1")},
             {'G', line('G', "\\\\SRV\\busy", "0")}});
  const QColor connected(0, 112, 0);
  const QColor missing(192, 0, 0);
  const QColor plain(0, 0, 0);
  auto shows = [&](int row, const QColor& colour, const std::string& tip) {
    auto* label = qobject_cast<QLabel*>(widget(p.main->lettrereseau(row)));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), colour) << row;
    EXPECT_EQ(label->toolTip().toStdString(), tip) << row;
  };
  shows(5, connected, "Connecté à \\\\SRV\\docs");
  shows(6, missing, "Non connecté");
  shows(7, plain, "Non connecté");
  shows(3, plain, "");  // C: a local drive

  // F's server is off: its two-second status, then the reason in its tip.
  userClick(widget(p.main->connection));
  shows(5, connected, "Connecté à \\\\SRV\\docs");
  shows(6, missing, "Non connecté : " + p.g->texts.msg(net::errorMessageNumber(1231)));

  // The command line disconnected E and told the running program.
  ASSERT_EQ(p.network->cancelConnection("E:", 0, true), 0);
  p.main->connectionsChanged();
  shows(5, missing, "Non connecté");
}

// What a screen reader says of the window: every control Tab reaches has a
// name, a row's controls name its letter in the window's language, and a row
// tells its connection in words as well as in colour.
TEST_F(QtProgramTest, AScreenReaderHearsEveryControlAndEachRowsLetterAndState) {
  ASSERT_TRUE(p.connectBeforehand('E', "\\\\SRV\\docs"));
  startWith({{'E', line('E', "\\\\SRV\\docs", "1")}, {'F', line('F', "\\\\OFF\\data", "1")}});
  auto said = [](QWidget* w, QAccessible::Text what = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(w)->text(what).toStdString();
  };
  EXPECT_EQ(unnamedControls(window), std::vector<std::string>{});
  std::set<std::string> checkBoxes;
  for (QCheckBox* box : window->findChildren<QCheckBox*>()) checkBoxes.insert(said(box));
  EXPECT_EQ(checkBoxes.size(), 26U);
  EXPECT_EQ(said(widget(p.main->lettreactive(6))), "Activer F:");
  EXPECT_EQ(said(widget(p.main->Cheminreseau(6))), "Chemin réseau de F:");
  EXPECT_EQ(said(widget(p.main->Parcourir(6))), "Parcourir le réseau pour F:");
  EXPECT_EQ(said(widget(p.main->Test(6))), "Tester F:");
  EXPECT_EQ(said(widget(p.main->lettreactive(5)), QAccessible::Description),
            "Connecté à \\\\SRV\\docs");
  EXPECT_EQ(said(widget(p.main->Cheminreseau(6)), QAccessible::Description), "Non connecté");
  // Without colour: a sign beside the letter, one for each state.
  const std::string connectedSign = p.main->etatlettre(5).caption();
  const std::string missingSign = p.main->etatlettre(6).caption();
  EXPECT_FALSE(connectedSign.empty());
  EXPECT_FALSE(missingSign.empty());
  EXPECT_NE(connectedSign, missingSign);
  EXPECT_EQ(p.main->etatlettre(7).caption(), "");

  p.main->langue_Click(0);
  EXPECT_EQ(said(widget(p.main->lettreactive(6))), "Activate F:");
  EXPECT_EQ(said(widget(p.main->password)), "Password");
  EXPECT_EQ(said(widget(p.main->lettreactive(5)), QAccessible::Description),
            "Connected to \\\\SRV\\docs");
}

// Whoever moves with Tab sees where the keyboard is, on every kind of
// control it reaches: check box, path, flat button, a dialog's picture.
TEST_F(QtProgramTest, TheFocusShowsOnEveryKindOfControlTabReaches) {
  startWith({{'G', line('G', "\\\\SRV\\docs", "1")}});
  ASSERT_TRUE(testing::activate(window));
  auto shows = [](QWidget* w, const QImage& unfocused) {
    for (int tab = 0; tab < 8 && QApplication::focusWidget() != w; ++tab) key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w) << w->objectName().toStdString();
    EXPECT_NE(w->grab().toImage(), unfocused) << w->objectName().toStdString() << " shows no focus";
  };
  std::vector<QWidget*> row;
  for (const forms::Control* c : std::initializer_list<const forms::Control*>{
           &p.main->lettreactive(7), &p.main->Cheminreseau(7), &p.main->Test(7)}) {
    row.push_back(widget(*c));
  }
  std::vector<QImage> unfocused;
  for (QWidget* w : row) unfocused.push_back(w->grab().toImage());
  userClick(widget(p.main->Cheminreseau(6)));
  ASSERT_EQ(focusName(), "Cheminreseau(6)");
  for (std::size_t k = 0; k < row.size(); ++k) shows(row[k], unfocused[k]);

  auto answered = p.whenModal("Dialog", [&](QWidget* dialog) {
    QWidget* picture = child<QWidget>(dialog, "iconeaff");
    shows(picture, picture->grab().toImage());
    child<QPushButton>(dialog, "OKButton")->click();
  });
  qobject_cast<QToolButton*>(widget(p.main->Test(7)))->click();
  EXPECT_TRUE(*answered);
}

// In high contrast the window takes the desktop palette's colours wherever
// the design set its own (the letters' green and red included), the rows'
// signs still tell the state, and the design comes back when it ends.
TEST_F(QtProgramTest, HighContrastTakesTheDesktopsColoursAndKeepsTheSigns) {
  ASSERT_TRUE(p.connectBeforehand('E', "\\\\SRV\\docs"));
  startWith({{'E', line('E', "\\\\SRV\\docs", "1")}, {'F', line('F', "\\\\OFF\\data", "1")}});
  const QPalette before = QApplication::palette();
  QPalette contrast;
  for (auto [role, colour] : {std::pair{QPalette::Window, Qt::black},
                              {QPalette::Base, Qt::black},
                              {QPalette::Button, Qt::black},
                              {QPalette::WindowText, Qt::yellow},
                              {QPalette::Text, Qt::yellow},
                              {QPalette::ButtonText, Qt::yellow}}) {
    contrast.setColor(role, colour);
  }
  // The portal speaks first, the desktop's theme follows.
  p.tk.setHighContrast(true);
  QApplication::setPalette(contrast);
  auto text = [&](const forms::Control& c) {
    return widget(c)->palette().color(QPalette::WindowText);
  };
  for (const forms::Control* c : std::initializer_list<const forms::Control*>{
           &p.main->lettrereseau(5), &p.main->lettrereseau(6), &p.main->etatlettre(6),
           &p.main->Label1}) {
    EXPECT_EQ(text(*c), QColor(Qt::yellow)) << c->name();
  }
  EXPECT_NE(p.main->etatlettre(5).caption(), p.main->etatlettre(6).caption());
  EXPECT_EQ(widget(p.main->Frame1)->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_NE(widget(p.main->Cheminreseau(5))->styleSheet().indexOf("background: #000000"), -1);

  p.tk.setHighContrast(false);
  QApplication::setPalette(before);
  EXPECT_EQ(text(p.main->lettrereseau(5)), QColor(0, 112, 0));
}

}  // namespace
}  // namespace quilbert::qtview
