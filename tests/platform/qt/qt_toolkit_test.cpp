#include "platform/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDBusVariant>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <optional>

#include "platform/qt/qt_contrast.h"
#include "platform/qt/qt_folder_browser.h"
#include "platform/qt/qt_test_support.h"

namespace quilbert::qtview {
namespace {

using forms::Form;
using testing::app;
using testing::mouseClick;
using testing::Pictures;
using testing::SampleForm;

class QtToolkitTest : public ::testing::Test {
 protected:
  QtToolkitTest() : tk_((app(), static_cast<platform::Network*>(nullptr))) {}
  QtToolkit tk_;
  Pictures pics_;
};

template <class W>
W* widget(const forms::Control& c) {
  auto* w = dynamic_cast<W*>(QtToolkit::widgetOf(c));
  EXPECT_NE(w, nullptr) << c.name();
  return w;
}

void sendKey(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

TEST_F(QtToolkitTest, WidgetsSitAtTheirTwipsPositionAndFollowTheModel) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.show();
  QWidget* window = QtToolkit::windowOf(f);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Sample window");
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable

  // Geometry in pixels, children relative to their frame or picture box.
  auto* path = widget<QLineEdit>(*s.path);
  EXPECT_EQ(path->geometry(), QRect(126, 32, 261, 17));
  EXPECT_EQ(path->parentWidget(), QtToolkit::widgetOf(*s.frame));
  EXPECT_EQ(widget<QLabel>(*s.inPicture)->parentWidget(), QtToolkit::widgetOf(*s.picture));
  EXPECT_EQ(QtToolkit::widgetOf(*s.frame)->geometry(), QRect(8, 8, 441, 160));
  EXPECT_EQ(QtToolkit::widgetOf(*s.timer), nullptr);  // timers and image lists are not drawn
  EXPECT_EQ(QtToolkit::widgetOf(*s.images), nullptr);
  const QWidget* client = QtToolkit::widgetOf(*s.frame)->parentWidget();
  EXPECT_EQ(client->size(), QSize(578, 360));
  EXPECT_EQ(client->palette().color(QPalette::Window), QColor(236, 233, 216));
  // A new control array element gets its own widget, shown in its container.
  auto& second = f.loadElement<forms::TextBox>("Cheminreseau", 2);
  second.setTop(s.path->top() + 300);
  EXPECT_TRUE(widget<QLineEdit>(second)->isVisible());
  EXPECT_EQ(widget<QLineEdit>(second)->geometry(), QRect(126, 52, 261, 17));
  tk_.processEvents();
  const int painted = f.paintCount();
  EXPECT_GE(painted, 1);
  f.refresh();
  EXPECT_EQ(f.paintCount(), painted + 1);
  s.path->move({0, 15, 1500, 300});
  EXPECT_EQ(path->geometry(), QRect(0, 1, 100, 20));
  f.setClientSize({3000, 1500});
  EXPECT_EQ(client->size(), QSize(200, 100));

  // Property changes reach just their widget.
  s.label->setCaption("Z:");
  EXPECT_EQ(widget<QLabel>(*s.label)->text(), "Z:");
  EXPECT_EQ(widget<QLabel>(*s.label)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  s.path->setText("\\\\other\\x");
  EXPECT_EQ(path->text(), "\\\\other\\x");
  s.path->setEnabled(false);
  EXPECT_FALSE(path->isEnabled());
  s.frame->setEnabled(false);  // a disabled frame disables what it holds
  EXPECT_FALSE(widget<QCheckBox>(*s.check)->isEnabled());
  s.frame->setEnabled(true);
  EXPECT_TRUE(widget<QCheckBox>(*s.check)->isEnabled());
  s.command->setVisible(false);
  EXPECT_FALSE(widget<QToolButton>(*s.command)->isVisible());
  EXPECT_EQ(widget<QToolButton>(*s.command)->toolTip(), "Connect the active letters");
  EXPECT_EQ(widget<QToolButton>(*s.command)->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
  EXPECT_EQ(widget<QToolButton>(*s.browse)->toolButtonStyle(), Qt::ToolButtonIconOnly);
  EXPECT_EQ(widget<QToolButton>(*s.browse)->iconSize(), QSize(21, 13));
  EXPECT_EQ(widget<QLineEdit>(*s.password)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(widget<QLineEdit>(*s.password)->text(), "secret");
  s.check->setValue(2);
  EXPECT_EQ(widget<QCheckBox>(*s.check)->checkState(), Qt::PartiallyChecked);
  s.check->setValue(1);
  EXPECT_EQ(widget<QCheckBox>(*s.check)->checkState(), Qt::Checked);
  auto* list = widget<QAbstractItemView>(*s.list);
  EXPECT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(list->model()->index(1, 0).data().toString(), "\\\\server\\music  (disk)");
  s.list->clear();
  EXPECT_EQ(list->model()->rowCount(), 0);
  f.setCaption("Renamed");
  EXPECT_EQ(window->windowTitle(), "Renamed");
}

// Catches a widget made before the first show (the hidden main window's
// cost), and a widget that misses what the model was told while it had none.
TEST_F(QtToolkitTest, WidgetsAreMadeAtTheFirstShowFromTheModelsState) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.load();
  s.path->setText("changed while hidden");
  s.check->setValue(2);
  s.browse->setEnabled(false);
  s.label->setCaption("Q:");
  auto& second = f.loadElement<forms::TextBox>("Cheminreseau", 2);
  second.setText("second");
  s.password->setFocus();
  s.resident->setCaption("Resident");
  for (const auto& c : f.controls()) EXPECT_EQ(QtToolkit::widgetOf(*c), nullptr) << c->name();
  EXPECT_EQ(QtToolkit::windowOf(f)->findChild<QMenuBar*>(), nullptr);

  f.show();
  struct Expected {
    const forms::Control* control;
    std::function<bool(QWidget*)> right;
  };
  const Expected table[] = {
      {s.path, [](QWidget* w) { return w->property("text") == "changed while hidden"; }},
      {&second, [](QWidget* w) { return w->property("text") == "second" && w->isVisible(); }},
      {s.check,
       [](QWidget* w) {
         return qobject_cast<QCheckBox*>(w)->checkState() == Qt::PartiallyChecked;
       }},
      {s.browse, [](QWidget* w) { return !w->isEnabled(); }},
      {s.ok, [](QWidget* w) { return w->isEnabled() && w->property("text") == "Ok"; }},
      {s.label, [](QWidget* w) { return w->property("text") == "Q:"; }},
      {s.password, [](QWidget* w) { return w->window()->focusWidget() == w; }},
  };
  for (const Expected& e : table) {
    QWidget* w = QtToolkit::widgetOf(*e.control);
    ASSERT_NE(w, nullptr) << e.control->name();
    EXPECT_TRUE(e.right(w)) << e.control->name();
  }
  const auto* resident = QtToolkit::windowOf(f)->findChild<QAction*>("menu_resident");
  ASSERT_NE(resident, nullptr);
  EXPECT_EQ(resident->text(), "Resident");
}

TEST_F(QtToolkitTest, MenuBarMirrorsTheMenuTree) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.show();
  auto* bar = QtToolkit::windowOf(f)->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  const auto tops = bar->actions();
  ASSERT_EQ(tops.size(), 2);
  EXPECT_EQ(tops[1]->text(), "&Langue");
  const auto appItems = tops[0]->menu()->actions();
  ASSERT_EQ(appItems.size(), 3);
  EXPECT_TRUE(appItems[1]->isSeparator());
  const auto langs = tops[1]->menu()->actions();
  EXPECT_TRUE(langs[1]->isChecked());
  EXPECT_FALSE(langs[0]->isChecked());

  // A click runs the item's handler; the check marks show what the model says.
  s.english->onClick = [&] {
    s.english->setChecked(true);
    s.french->setChecked(false);
  };
  langs[0]->trigger();
  EXPECT_TRUE(langs[0]->isChecked());
  EXPECT_FALSE(langs[1]->isChecked());
  int clicks = 0;
  s.resident->onClick = [&] { ++clicks; };  // leaves the item unchecked
  appItems[2]->trigger();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(appItems[2]->isChecked());
  s.resident->setEnabled(false);
  EXPECT_FALSE(appItems[2]->isEnabled());
  s.resident->setCaption("Resident");
  EXPECT_EQ(appItems[2]->text(), "Resident");

  // The menu bar counts in the frame the model adds to the client size.
  Form plain(tk_, "plain");
  plain.setClientSize({3000, 1500});
  plain.load();
  EXPECT_GT(tk_.frameExtra(f).height, tk_.frameExtra(plain).height);
  plain.setBorderStyle(forms::BorderStyle::None);
  EXPECT_EQ(tk_.frameExtra(plain), (forms::Size{0, 0}));
}

TEST_F(QtToolkitTest, UserActionsReachTheModel) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.show();
  std::string log;
  s.command->onClick = [&] { log += "command "; };
  s.check->onClick = [&] { log += "check" + std::to_string(s.check->value()) + " "; };
  s.path->onChange = [&] { log += "change "; };
  s.ok->onClick = [&] { log += "ok "; };
  s.cancel->onClick = [&] { log += "cancel "; };
  s.picture->onClick = [&] { log += "picture "; };
  s.picture->onKeyUp = [&](int key, int) { log += "up" + std::to_string(key) + " "; };
  f.onMouseMove = [&](int button, int, float x, float y) {
    log += "move" + std::to_string(button) + "," + std::to_string(static_cast<int>(x)) + "," +
           std::to_string(static_cast<int>(y)) + " ";
  };

  mouseClick(widget<QToolButton>(*s.command));
  auto* check = widget<QCheckBox>(*s.check);
  check->click();  // 0 -> 1
  check->click();  // 1 -> 0
  s.check->setValue(2);
  check->click();  // greyed -> checked, never greyed by a click
  EXPECT_EQ(check->checkState(), Qt::Checked);
  auto* path = widget<QLineEdit>(*s.path);
  path->setFocus();
  path->end(false);
  sendKey(path, Qt::Key_X, "x");
  EXPECT_EQ(s.path->text(), "\\\\server\\sharex");
  EXPECT_EQ(f.focused(), s.path);
  sendKey(path, Qt::Key_Return);
  sendKey(path, Qt::Key_Escape);
  mouseClick(widget<QWidget>(*s.picture));
  sendKey(widget<QWidget>(*s.picture), Qt::Key_N, "n");
  s.command->setEnabled(false);
  mouseClick(widget<QToolButton>(*s.command));  // disabled: nothing
  QWidget* client = QtToolkit::widgetOf(*s.frame)->parentWidget();
  QMouseEvent move(QEvent::MouseMove, QPointF(10, 380), client->mapToGlobal(QPointF(10, 380)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(client, &move);
  EXPECT_EQ(log,
            "command check1 check0 check2 check1 change ok cancel picture up78 "
            "move1,150,5700 ");
  EXPECT_EQ(f.focused(), s.picture);
}

// How many pixels of the widget's drawing are near black.
int darkPixels(QWidget* w) {
  const QImage image = w->grab().toImage();
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 64) ++n;
    }
  }
  return n;
}

TEST_F(QtToolkitTest, ADisabledTextBoxDrawsItsTextGreyed) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  s.path->setBackColor(forms::kLightYellow);  // as a local drive's row shows it
  f.show();
  auto* path = widget<QLineEdit>(*s.path);
  EXPECT_GT(darkPixels(path), 20);  // black text
  s.path->setEnabled(false);
  EXPECT_EQ(darkPixels(path), 0);
  // ...yet the text is still drawn.
  const QImage image = path->grab().toImage();
  const QRgb back = image.pixel(image.width() - 3, image.height() / 2);
  int text = 0;
  for (int x = 0; x < image.width(); ++x) text += image.pixel(x, image.height() / 2) != back;
  EXPECT_GT(text, 5);
}

TEST_F(QtToolkitTest, FocusMovesBothWays) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.show();
  tk_.processEvents();  // the window becomes the active one
  s.path->setFocus();
  EXPECT_EQ(QtToolkit::windowOf(f)->focusWidget(), QtToolkit::widgetOf(*s.path));
  widget<QWidget>(*s.ok)->setFocus();
  EXPECT_EQ(f.focused(), s.ok);
}

TEST_F(QtToolkitTest, RunModalReturnsOnceAButtonHidesTheForm) {
  Form f(tk_, "dialog");
  f.setClientSize({2730, 1395});
  auto& ok = f.add<forms::PushButton>("OKButton");
  ok.move({840, 930, 1215, 375});
  ok.setDefault(true);
  int result = -1;
  ok.onClick = [&] {
    result = 0;
    f.hide();
  };
  QTimer::singleShot(50, [&] {
    EXPECT_TRUE(QtToolkit::windowOf(f)->isModal());
    sendKey(QtToolkit::widgetOf(ok), Qt::Key_Return);  // Enter answers the default button
  });
  f.showModal();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(QtToolkit::windowOf(f)->isVisible());
  EXPECT_FALSE(QtToolkit::windowOf(f)->isModal());  // a later show is not modal

  // The close box asks the model, which may refuse.
  int cancel = 1;
  f.onQueryUnload = [&](int& c, forms::UnloadReason reason) {
    c = cancel;
    EXPECT_EQ(reason, forms::UnloadReason::ControlMenu);
  };
  QTimer::singleShot(50, [&] {
    QtToolkit::windowOf(f)->close();
    EXPECT_TRUE(f.loaded());
    cancel = 0;
    QtToolkit::windowOf(f)->close();
  });
  f.showModal();
  EXPECT_FALSE(f.loaded());
}

TEST_F(QtToolkitTest, PaintStartsATimerThatTicksNoEarlierThanItsInterval) {
  // The status window: no title bar, the timer enabled on Paint, and a tick
  // that unloads it, which ends its modal show.
  Form f(tk_, "frmSplash");
  f.setClientSize({3330, 1170});
  f.setTitleBar(false);
  auto& timer = f.add<forms::Timer>("Timer1");
  timer.setInterval(200);
  QElapsedTimer clock;
  qint64 paintedAt = -1;
  qint64 tickedAt = -1;
  f.onPaint = [&] {
    if (paintedAt < 0) paintedAt = clock.elapsed();
    timer.setTimerEnabled(true);
  };
  timer.onTick = [&] {
    tickedAt = clock.elapsed();
    f.unload();
  };
  clock.start();
  f.showModal();
  EXPECT_TRUE(QtToolkit::windowOf(f) == nullptr);
  ASSERT_GE(paintedAt, 0) << "no Paint";
  EXPECT_GE(tickedAt - paintedAt, 200);
  EXPECT_LT(tickedAt - paintedAt, 700);  // generous: the machine may be busy
  EXPECT_GE(f.paintCount(), 1);
}

TEST_F(QtToolkitTest, TextIsMeasuredWithTheFontUsed) {
  const forms::Font verdana{"Verdana", 8.25, false, false};
  const forms::Size one = tk_.measureText(verdana, "Mot de passe :");
  const forms::Size longer = tk_.measureText(verdana, "Mot de passe : encore plus long");
  const forms::Size lines = tk_.measureText(verdana, "one\r\ntwo\r\nthree");
  EXPECT_GT(one.width, 0);
  EXPECT_GT(longer.width, one.width);
  EXPECT_EQ(one.height, longer.height);
  EXPECT_GE(lines.height, 3 * one.height - 3 * 15);
  EXPECT_GT(tk_.measureText({"Verdana", 12, true, false}, "Mot de passe :").width, one.width);

  // An autosize label takes that size, and its widget shows the whole text.
  Form f(tk_, "f");
  auto& label = f.add<forms::Label>("txtmessage");
  label.setFont(verdana);
  label.move({930, 360, 1695, 225});
  f.load();
  label.setAutoSize(true);
  label.setCaption("A message that is certainly wider than designed\r\nand has two lines");
  f.show();  // its widget is made then
  auto* w = widget<QLabel>(label);
  EXPECT_EQ(w->width(), tk_.toPixels(label.width()));
  EXPECT_GE(w->width(), w->sizeHint().width());
  EXPECT_GE(w->height(), w->sizeHint().height());
  // Underlined headings (the help window's) are drawn so; plain text is not.
  EXPECT_FALSE(w->font().underline());
  forms::Font heading = verdana;
  heading.underline = true;
  label.setFont(heading);
  EXPECT_TRUE(w->font().underline());
}

TEST_F(QtToolkitTest, PicturesAreReadOrRefused) {
  auto png = tk_.loadPicture(pics_.png);
  ASSERT_TRUE(png.has_value());
  EXPECT_EQ(png->width, 32);
  EXPECT_EQ(png->height, 32);
  auto bmp = tk_.loadPicture(pics_.bmp);
  ASSERT_TRUE(bmp.has_value());
  EXPECT_EQ(bmp->width, 21);
  EXPECT_EQ(bmp->height, 13);
  auto ico = tk_.loadPicture(pics_.ico);
  ASSERT_TRUE(ico.has_value());
  EXPECT_EQ(ico->width, 16);
  EXPECT_FALSE(tk_.loadPicture(pics_.path("missing.png")).has_value());
  EXPECT_FALSE(tk_.loadPicture(pics_.garbage).has_value());
}

TEST_F(QtToolkitTest, ManyListItemsAreAddedQuickly) {
  Form f(tk_, "report");
  f.setClientSize({6000, 4000});
  auto& list = f.add<forms::ListBox>("List1");
  list.move({0, 0, 6000, 4000});
  f.show();
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 100'000; ++i) list.addItem("\\\\server\\share" + std::to_string(i));
  tk_.processEvents();
  const auto ms = clock.elapsed();
  auto* view = widget<QAbstractItemView>(list);
  EXPECT_EQ(view->model()->rowCount(), 100'000);
  EXPECT_EQ(view->model()->index(99'999, 0).data().toString(), "\\\\server\\share99999");
  EXPECT_LT(ms, 1500);
}

TEST_F(QtToolkitTest, ListTakesNewRowsInOneGoAndFollowsAClear) {
  Form f(tk_, "report");
  f.setClientSize({6000, 4000});
  auto& list = f.add<forms::ListBox>("List1");
  list.move({0, 0, 6000, 4000});
  f.show();
  auto* view = widget<QAbstractItemView>(list);
  QAbstractItemModel* model = view->model();
  int inserts = 0;
  int resets = 0;
  QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
  QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  for (int i = 0; i < 500; ++i) list.addItem("item " + std::to_string(i));
  tk_.repaint(f);  // a walk's repaint between visits shows what it has so far
  EXPECT_EQ(model->rowCount(), 500);
  EXPECT_EQ(inserts, 1);
  // Cleared: the rows go at once; refilled, only the new items come.
  list.clear();
  EXPECT_EQ(model->rowCount(), 0);
  list.addItem("first");
  list.addItem("second");
  tk_.processEvents();
  EXPECT_EQ(resets, 1);
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_EQ(model->index(1, 0).data().toString(), "second");
  // Back in the event loop with no repaint asked for, new rows still arrive.
  list.addItem("third");
  QEventLoop loop;
  QTimer::singleShot(50, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(model->rowCount(), 3);
  EXPECT_EQ(view->visualRect(model->index(2, 0)).isValid(), true);
}

TEST_F(QtToolkitTest, ServicesWithoutADesktop) {
  Form f(tk_, "connect");
  f.setClientSize({3000, 1500});
  f.load();
  // The offscreen platform has no notification area.
  EXPECT_EQ(tk_.addTrayIcon(f, 1, "tip", {pics_.ico, 16, 16}),
            QSystemTrayIcon::isSystemTrayAvailable());
  tk_.setMousePointer(forms::MousePointer::Hourglass);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  tk_.setMousePointer(forms::MousePointer::Arrow);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
  tk_.setMousePointer(forms::MousePointer::Default);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  f.show();
  const QPoint pos = QtToolkit::windowOf(f)->pos();
  EXPECT_TRUE(tk_.setTopMost(f, true));
  EXPECT_TRUE(QtToolkit::windowOf(f)->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(QtToolkit::windowOf(f)->isVisible());
  EXPECT_EQ(QtToolkit::windowOf(f)->pos(), pos);
  // Off the task list, but for a window lacking the icon it asked for.
  tk_.hideFromTaskList();
  EXPECT_EQ(QtToolkit::windowOf(f)->windowType(),
            QSystemTrayIcon::isSystemTrayAvailable() ? Qt::Tool : Qt::Window);
  EXPECT_TRUE(QtToolkit::windowOf(f)->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  const forms::Size screen = tk_.screenSize();
  EXPECT_EQ(screen.width, tk_.toTwips(QGuiApplication::primaryScreen()->geometry().width()));
}

TEST_F(QtToolkitTest, QuitEndsTheMainLoopButNotAModalFormStillOpen) {
  tk_.quit(3);  // during start-up, before the loop runs
  EXPECT_EQ(tk_.runMainLoop(), 3);
  Form f(tk_, "Dialog");
  f.setClientSize({2730, 1395});
  std::string log;
  QTimer::singleShot(10, [&] {
    tk_.quit(4);
    // A question asked after quitting still waits for its answer.
    QTimer::singleShot(100, [&] {
      log += "answer ";
      f.hide();
    });
    f.showModal();
    log += "returned ";
  });
  EXPECT_EQ(tk_.runMainLoop(), 4);
  EXPECT_EQ(log, "answer returned ");
}

TEST_F(QtToolkitTest, UnloadingFromAClickLeavesNothingBehind) {
  auto f = std::make_unique<Form>(tk_, "Dialog");
  f->setClientSize({2730, 1395});
  auto& ok = f->add<forms::PushButton>("OKButton");
  ok.move({840, 930, 1215, 375});
  ok.onClick = [&] {
    f->hide();
    f->unload();
  };
  QPointer<QWidget> window;
  QTimer::singleShot(20, [&] {
    window = QtToolkit::windowOf(*f);
    mouseClick(QtToolkit::widgetOf(ok));
  });
  f->showModal();
  EXPECT_FALSE(f->loaded());
  ASSERT_FALSE(window.isNull());
  EXPECT_FALSE(window->isVisible());
  f.reset();
  tk_.processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(QtToolkitTest, PopupMenuShowsTheDefaultItemAndRunsTheChoice) {
  Form f(tk_, "sample");
  SampleForm s = testing::buildSample(f, pics_);
  f.show();
  int clicks = 0;
  s.resident->onClick = [&] { ++clicks; };
  QTimer::singleShot(0, [&] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    const auto actions = popup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_FALSE(actions[0]->font().bold());
    EXPECT_TRUE(actions[2]->font().bold());
    popup->setActiveAction(actions[2]);
    sendKey(popup, Qt::Key_Return);
  });
  tk_.popupMenu(f, f.menu("menu"), s.resident);
  EXPECT_EQ(clicks, 1);
}

// ---- the folder browser

TEST(QtFolderBrowser, ReadsBatchesAndGrowsTheBufferWhenAsked) {
  testing::TinyNetwork net;
  int error = -1;
  const auto top = enumerateChildren(net, nullptr, error);
  ASSERT_EQ(top.size(), 1U);
  EXPECT_EQ(error, 0);
  platform::NetResource server;
  server.remoteName = "\\\\SERVER";
  const auto shares = enumerateChildren(net, &server, error);
  ASSERT_EQ(shares.size(), 2U);
  EXPECT_EQ(shares[1].remoteName, "\\\\SERVER\\music");
  EXPECT_EQ(net.moreData, 1);
  platform::NetResource share;
  share.remoteName = "\\\\SERVER\\docs";
  EXPECT_TRUE(enumerateChildren(net, &share, error).empty());
  EXPECT_EQ(error, platform::neterr::kNotContainer);
  EXPECT_EQ(net.openHandles(), 0U);

  EXPECT_EQ(fileSystemPath(shares[0]), "\\\\SERVER\\docs");
  EXPECT_EQ(fileSystemPath(server), std::nullopt);
  EXPECT_EQ(fileSystemPath(top[0]), std::nullopt);
}

class QtFolderBrowserTest : public ::testing::Test {
 protected:
  QtFolderBrowserTest() : tk_((app(), &net_)) {}
  testing::TinyNetwork net_;
  QtToolkit tk_;
};

QWidget* openBrowser() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "folderBrowser" && w->isVisible()) return w;
  }
  return nullptr;
}

TEST_F(QtFolderBrowserTest, TheCallbackFollowsTheSelectionAndDrivesOk) {
  Form owner(tk_, "connect");
  owner.load();
  std::vector<std::string> calls;
  forms::FolderBrowseRequest request;
  request.instruction = "Choose a share";
  request.showStatusText = true;
  request.onSelectionChanged = [&](forms::FolderBrowserHandle& b,
                                   const std::optional<std::string>& path) {
    calls.push_back(path.value_or("-"));
    if (!path) b.enableOk(false);
    b.setStatusText(path.value_or("nothing"));
  };
  bool checked = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = openBrowser();
    ASSERT_NE(dialog, nullptr);
    auto* tree = dialog->findChild<QTreeWidget*>();
    auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    auto* status = dialog->findChild<QLabel*>("status");
    EXPECT_FALSE(ok->isEnabled());  // the ready call disabled it
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* provider = tree->topLevelItem(0);
    EXPECT_EQ(provider->childCount(), 0);  // filled when opened
    provider->setExpanded(true);
    ASSERT_EQ(provider->childCount(), 1);
    provider->child(0)->setExpanded(true);
    QTreeWidgetItem* server = provider->child(0)->child(0);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->text(0), "SERVER");
    server->setExpanded(true);
    ASSERT_EQ(server->childCount(), 2);
    tree->setCurrentItem(server->child(1));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(status->text(), "\\\\SERVER\\music");
    tree->setCurrentItem(server);
    EXPECT_FALSE(ok->isEnabled());
    tree->setCurrentItem(server->child(0));
    checked = true;
    ok->click();
  });
  const auto chosen = tk_.browseForFolder(owner, request);
  EXPECT_TRUE(checked);
  EXPECT_EQ(chosen, "\\\\SERVER\\docs");
  EXPECT_EQ(calls, (std::vector<std::string>{"-", "\\\\SERVER\\music", "-", "\\\\SERVER\\docs"}));

  QTimer::singleShot(0, [&] {
    QWidget* dialog = openBrowser();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  EXPECT_EQ(tk_.browseForFolder(owner, request), std::nullopt);
}

// What the desktop's settings portal may say of its contrast, as each
// version of it wraps the value.
TEST(DesktopContrast, ThePortalsContrastSettingsAreReadWhateverTheirWrapping) {
  const QString gnome = QStringLiteral("org.gnome.desktop.a11y.interface");
  const QString appearance = QStringLiteral("org.freedesktop.appearance");
  QVariant deep(true);
  for (int i = 0; i < 6; ++i) deep = QVariant::fromValue(QDBusVariant(deep));
  struct Case {
    QString space, key;
    QVariant value;
    std::optional<bool> high;
  };
  const Case cases[] = {
      {gnome, QStringLiteral("high-contrast"), QVariant(true), true},
      {gnome, QStringLiteral("high-contrast"),
       QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(false)))), false},
      {appearance, QStringLiteral("contrast"), QVariant(1U), true},
      {appearance, QStringLiteral("contrast"), QVariant(0U), false},
      {appearance, QStringLiteral("color-scheme"), QVariant(1U), std::nullopt},
      {gnome, QStringLiteral("high-contrast"), deep, false},  // not a setting's wrapping
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ContrastListener::contrastOf(c.space, c.key, c.value), c.high) << c.key.toStdString();
  }
}

}  // namespace
}  // namespace quilbert::qtview
