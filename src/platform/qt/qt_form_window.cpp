// The form's top-level window: its client area, its title bar and border
// flags, where it is placed, and how it is shown, hidden and minimized.
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_toolkit.h"

namespace quilbert::qtview {

using forms::Prop;

namespace {

class FormWindow : public QWidget {
 public:
  explicit FormWindow(Link link) : link_(std::move(link)) {}

 protected:
  // The model decides: QueryUnload may refuse, and an unload hides the window.
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (QtFormView* v = link_->view) v->closeRequested();
  }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || isMinimized()) return;
    if (!static_cast<QWindowStateChangeEvent*>(e)->oldState().testFlag(Qt::WindowMinimized)) return;
    // Brought back from the task list, after the event has run its course.
    QTimer::singleShot(0, this, [link = link_] {
      if (QtFormView* v = link->view) v->restoredFromTaskList();
    });
  }
  void showEvent(QShowEvent* e) override {
    QWidget::showEvent(e);
    // The window manager adds its frame after mapping; read it once it has.
    QTimer::singleShot(100, this, [this] {
      QtFormView* v = link_->view;
      if (v == nullptr || !isVisible() || windowFlags().testFlag(Qt::FramelessWindowHint)) return;
      const QRect outer = frameGeometry();
      const QRect inner = geometry();
      v->toolkit().noteFrameMargins(outer.width() - inner.width(), outer.height() - inner.height());
    });
  }

 private:
  Link link_;
};

// Reports the window's exposure, after the drawing it brings.
class ExposeFilter : public QObject {
 public:
  ExposeFilter(Link link, QObject* parent) : QObject(parent), link_(std::move(link)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Expose) {
      auto* window = static_cast<QWindow*>(watched);
      QMetaObject::invokeMethod(
          this,
          [link = link_, window] {
            if (QtFormView* v = link->view; v != nullptr && window->isExposed()) {
              v->clientPainted(false);
              v->exposed();
            }
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  Link link_;
};

class ClientArea : public QWidget {
 public:
  ClientArea(Link link, QWidget* parent) : QWidget(parent), link_(std::move(link)) {
    setMouseTracking(true);
    setAutoFillBackground(true);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QWidget::paintEvent(e);
    // Only a full repaint counts as the form being drawn; a hovered child
    // repainting a corner does not.
    if (QtFormView* v = link_->view) v->clientPainted(e->rect().contains(rect()));
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    QWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
      if (QtFormView* v = link_->view) v->form().click();
    }
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (QtFormView* v = link_->view) {
      int button = 0;
      if (e->buttons() & Qt::LeftButton) button |= forms::kLeftButton;
      if (e->buttons() & Qt::RightButton) button |= forms::kRightButton;
      if (e->buttons() & Qt::MiddleButton) button |= 4;
      v->clientMouseMove(button, shiftMask(e->modifiers().toInt()), e->position().x(),
                         e->position().y());
    }
  }

 private:
  Link link_;
};

}  // namespace

void QtFormView::buildWindow() {
  window_ = new FormWindow(link_);
  window_->setObjectName(toQString(form_.name()));
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  client_ = new ClientArea(link_, window_);
  layout->addWidget(client_);
}

int QtFormView::menuBarHeight() {
  if (!form_.hasVisibleMenu()) return 0;
  rebuildMenuBarIfStale();
  const int width = client_->width() > 0 ? client_->width() : client_->minimumWidth();
  const int h = menuBar_->heightForWidth(width);
  return h > 0 ? h : menuBar_->sizeHint().height();
}

void QtFormView::formChanged(Prop p) {
  switch (p) {
    case Prop::Caption:
      window_->setWindowTitle(toQString(form_.caption()));
      return;
    case Prop::Geometry:
      applyClientGeometry();
      return;
    case Prop::BackColor: {
      QPalette pal = client_->palette();
      pal.setColor(QPalette::Window, toolkit_.highContrast()
                                         ? QApplication::palette().color(QPalette::Window)
                                         : toQColor(form_.backColor()));
      client_->setPalette(pal);
      window_->setPalette(pal);
      return;
    }
    case Prop::Style:
      applyWindowFlags();
      return;
    case Prop::Icon: {
      const auto& icon = form_.icon();
      window_->setWindowIcon(icon.empty() ? QIcon() : QIcon(toQString(icon.file)));
      return;
    }
    case Prop::Menu:
      if (menusBuilt_) rebuildMenuBar();
      return;
    default:
      return;
  }
}

void QtFormView::applyClientGeometry() {
  const forms::Size s = form_.clientSize();
  client_->setFixedSize(std::max(1, toolkit_.toPixels(s.width)),
                        std::max(1, toolkit_.toPixels(s.height)));
  if (!form_.centered() && placed_) placeWindow();
}

void QtFormView::applyWindowFlags() {
  const bool wasVisible = window_->isVisible();
  const QPoint pos = window_->pos();
  Qt::WindowFlags flags = Qt::Window;
  const bool frameless = form_.borderStyle() == forms::BorderStyle::None || !form_.titleBar();
  // A window without the notification icon that stands for it keeps its
  // task-list entry: that is the way back to it.
  const bool offTaskList = !form_.showInTaskbar() ||
                           (toolkit_.hiddenFromTaskList() && !toolkit_.lacksItsTrayIcon(form_));
  if (offTaskList || form_.borderStyle() == forms::BorderStyle::None ||
      form_.borderStyle() == forms::BorderStyle::FixedToolWindow) {
    flags = Qt::Tool;
  }
  if (frameless) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (form_.borderStyle() == forms::BorderStyle::Sizable) flags |= Qt::WindowMinimizeButtonHint;
  }
  if (topMost_) flags |= Qt::WindowStaysOnTopHint;
  if (flags == window_->windowFlags()) return;
  window_->setWindowFlags(flags);  // hides a visible window
  if (wasVisible) {
    window_->move(pos);
    window_->show();
  }
}

void QtFormView::setTopMost(bool onTop) {
  topMost_ = onTop;
  applyWindowFlags();
}

void QtFormView::placeWindow() {
  window_->adjustSize();
  if (form_.centered()) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const forms::Size extra = toolkit_.frameExtra(form_);
    const int outerW = window_->width() + toolkit_.toPixels(extra.width);
    const int outerH = window_->height() + toolkit_.toPixels(extra.height) - menuBarHeight();
    const QRect area = screen->availableGeometry();
    window_->move(area.center().x() - outerW / 2, area.center().y() - outerH / 2);
  } else {
    window_->move(toolkit_.toPixels(form_.left()), toolkit_.toPixels(form_.top()));
  }
}

void QtFormView::showWindow() {
  buildControls();
  rebuildMenuBarIfStale();
  if (!placed_ || !form_.centered()) placeWindow();
  placed_ = true;
  paint_.shown();
  // A window manager may minimize a window that offers no minimize box; it
  // has no task-list entry to come back from, so showing it restores it.
  if (window_->isMinimized())
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  window_->show();
  // A client entirely covered by opaque children gets no paint event of its
  // own: the window's first exposure is then what says it has been drawn.
  if (exposeFilter_ == nullptr) exposeFilter_ = new ExposeFilter(link_, window_);
  // The native window may have been made anew (new flags): watch the current one.
  if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(exposeFilter_);
  if (window_->windowHandle() != nullptr && window_->windowHandle()->isExposed()) {
    clientPainted(true);
  }
  // Platforms without a window manager (offscreen) cannot stack windows.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    window_->raise();
    window_->activateWindow();
  }
}

void QtFormView::hideWindow() {
  if (toolkit_.lacksItsTrayIcon(form_)) {
    // No icon to come back by: the task list keeps the way back. A window
    // never shown is shown first: window managers map it as it asked at
    // its first map, and Qt does not ask for iconic then.
    if (!window_->isVisible()) {
      iconifyWhenExposed_ = true;
      showWindow();
      return;
    }
    minimizedForTray_ = true;
    window_->showMinimized();
    return;
  }
  window_->hide();
}

void QtFormView::exposed() {
  if (!iconifyWhenExposed_) return;
  iconifyWhenExposed_ = false;
  hideWindow();
}

void QtFormView::restoredFromTaskList() {
  if (!minimizedForTray_) return;
  minimizedForTray_ = false;
  // What the icon's double click would have said: show the window.
  toolkit_.trayActivated(form_, QSystemTrayIcon::DoubleClick);
}

}  // namespace quilbert::qtview
