#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/log.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_folder_browser.h"
#include "platform/qt/qt_form_view.h"

namespace quilbert::qtview {

using forms::Form;

namespace {

// Frame of a decorated window before the window manager has shown one: a
// 4-pixel border on each side and a 22-pixel title bar.
constexpr int kEstimatedFrameWidth = 8;
constexpr int kEstimatedFrameHeight = 30;

// Mouse messages of the classic notification-icon callback.
constexpr int kLeftButtonUp = 0x202;
constexpr int kLeftButtonDoubleClick = 0x203;
constexpr int kRightButtonUp = 0x205;
constexpr int kMiddleButtonUp = 0x208;

QtFormView* viewOf(const Form& form) {
  return dynamic_cast<QtFormView*>(form.view());
}

}  // namespace

QtToolkit::QtToolkit(int& argc, char** argv, platform::Network* network)
    : network_(network),
      trayBook_([this](forms::TrayIcons::Icon& i) { return showTrayIcon(i); },
                [this](forms::TrayIcons::Icon& i) {
                  trays_.erase({i.owner, i.id});
                }) {
  if (QApplication::instance() == nullptr) ownedApp_ = std::make_unique<QApplication>(argc, argv);
  init();
}

QtToolkit::QtToolkit(platform::Network* network)
    : network_(network),
      trayBook_([this](forms::TrayIcons::Icon& i) { return showTrayIcon(i); },
                [this](forms::TrayIcons::Icon& i) {
                  trays_.erase({i.owner, i.id});
                }) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    platform::logLine("QtToolkit needs a QApplication");
    std::abort();
  }
  init();
}

namespace {
QtMessageHandler previousHandler = nullptr;
// The offscreen platform cannot stack windows and says so at every topmost
// request; that is expected there, and not worth a line on standard error.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text == QLatin1String("This plugin does not support raise()")) return;
  if (previousHandler != nullptr) {
    previousHandler(type, context, text);
  } else {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
}
}  // namespace

void QtToolkit::init() {
  static const bool installed = [] {
    previousHandler = qInstallMessageHandler(quietMessages);
    return true;
  }();
  (void)installed;
  QApplication::setQuitOnLastWindowClosed(false);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const double dpi = screen->logicalDotsPerInchY();
    if (dpi > 0) twipsPerPixel_ = 1440.0 / dpi;
  }
  notifierOwner_ = std::make_unique<QObject>();
  // A notification area that comes later (the panel starts after the
  // program at log-on) still gets the icons.
  trayRetry_ = std::make_unique<QTimer>();
  trayRetry_->setInterval(forms::TrayIcons::kRetryMs);
  QObject::connect(trayRetry_.get(), &QTimer::timeout, trayRetry_.get(), [this] {
    if (!trayBook_.tick()) trayRetry_->stop();
  });
  // The session manager asks for the data before it ends the session; the
  // windows it then closes must not wait for a user's answer.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, notifierOwner_.get(),
                   [this](QSessionManager& /*manager*/) { noteSessionEnding(); });
  followDesktopContrast();
}

bool QtToolkit::sessionEnding() const {
  return sessionEnding_ || qApp->isSavingSession();
}

QtToolkit::~QtToolkit() {
  if (overrideCursor_) QApplication::restoreOverrideCursor();
  trayRetry_.reset();
  trays_.clear();
  notifierOwner_.reset();
  // Windows of unloaded forms wait for deletion; let it happen before the
  // application (possibly ours) goes.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* QtToolkit::windowOf(const Form& form) {
  const QtFormView* v = viewOf(form);
  return v != nullptr ? v->window() : nullptr;
}

QWidget* QtToolkit::widgetOf(const forms::Control& control) {
  const QtFormView* v = viewOf(control.form());
  return v != nullptr ? v->widgetOf(control) : nullptr;
}

// ---- forms

std::unique_ptr<forms::FormView> QtToolkit::createView(Form& form) {
  return std::make_unique<QtFormView>(*this, form);
}

void QtToolkit::show(Form& form) {
  if (QtFormView* v = viewOf(form)) v->showWindow();
}

void QtToolkit::hide(Form& form) {
  if (QtFormView* v = viewOf(form)) v->hideWindow();
  for (const ModalRun& run : modalRuns_) {
    if (run.form == &form) run.loop->exit(0);
  }
}

void QtToolkit::viewOpened(QtFormView& view) {
  views_.push_back(&view);
}

void QtToolkit::viewClosing(Form& form) {
  views_.erase(std::remove_if(views_.begin(), views_.end(),
                              [&](const QtFormView* v) { return &v->form() == &form; }),
               views_.end());
  for (const ModalRun& run : modalRuns_) {
    if (run.form == &form) run.loop->exit(0);
  }
  trayBook_.removeAll(form);
}

void QtToolkit::runModal(Form& form) {
  QtFormView* v = viewOf(form);
  if (v == nullptr) return;
  QWidget* window = v->window();
  if (window->isVisible()) window->hide();  // modality applies from the next show
  window->setWindowModality(Qt::ApplicationModal);
  v->showWindow();
  auto open = [&form] { return form.loaded() && form.visible(); };
  if (open()) {
    QEventLoop loop;
    modalRuns_.push_back({&form, &loop});
    loop.exec();
    modalRuns_.erase(std::remove_if(modalRuns_.begin(), modalRuns_.end(),
                                    [&](const ModalRun& r) { return r.loop == &loop; }),
                     modalRuns_.end());
  }
  // Still loaded: the next plain show is not modal.
  if (QtFormView* still = viewOf(form)) {
    QWidget* w = still->window();
    const bool visible = w->isVisible();
    if (visible) w->hide();
    w->setWindowModality(Qt::NonModal);
    if (visible) w->show();
  }
}

void QtToolkit::repaint(Form& form) {
  QtFormView* v = viewOf(form);
  if (v == nullptr || !v->window()->isVisible()) return;
  v->applyListChanges();
  // The client area itself: repainting the window skips what its opaque
  // client covers.
  v->client()->repaint();
  // Runs the Paint notification the repaint queued.
  QCoreApplication::sendPostedEvents(v->client(), QEvent::MetaCall);
}

void QtToolkit::processEvents() {
  for (QtFormView* v : views_) v->applyListChanges();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // What drawing queued (the Paint notification) belongs to this round too.
  QCoreApplication::sendPostedEvents();
}

int QtToolkit::runMainLoop() {
  // A quit asked for before the loop started (during start-up) ends it at once.
  if (quitRequested_) {
    quitRequested_ = false;
    return quitCode_;
  }
  // Our own loop rather than QApplication::exec: QCoreApplication::exit would
  // end every nested loop too and make later modal forms return at once.
  QEventLoop loop;
  mainLoop_ = &loop;
  const int code = loop.exec();
  mainLoop_ = nullptr;
  quitRequested_ = false;
  return code;
}

void QtToolkit::quit(int exitCode) {
  quitRequested_ = true;
  quitCode_ = exitCode;
  if (mainLoop_ != nullptr) mainLoop_->exit(exitCode);
}

// ---- metrics

void QtToolkit::noteFrameMargins(int horizontal, int vertical) {
  if (horizontal > 0 || vertical > 0) frameMargins_ = {horizontal, vertical};
}

forms::Size QtToolkit::frameExtra(const Form& form) const {
  QtFormView* v = viewOf(form);
  int menu = 0;
  if (form.hasVisibleMenu()) {
    menu = v != nullptr ? v->menuBarHeight() : QFontMetrics(QApplication::font()).height() + 8;
  }
  int w = 0;
  int h = 0;
  if (form.borderStyle() != forms::BorderStyle::None && form.titleBar()) {
    w = frameMargins_ ? frameMargins_->first : kEstimatedFrameWidth;
    h = frameMargins_ ? frameMargins_->second : kEstimatedFrameHeight;
  }
  return {toTwips(w), toTwips(h + menu)};
}

forms::Size QtToolkit::screenSize() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize s = screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
  return {toTwips(s.width()), toTwips(s.height())};
}

forms::Size QtToolkit::workArea() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize s = screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
  return {toTwips(s.width()), toTwips(s.height())};
}

forms::Size QtToolkit::measureText(const forms::Font& font, std::string_view text) const {
  const QFontMetrics fm(toQFont(font));
  // The same layout a label draws its plain text with.
  const QRect r = fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop,
                                  toDisplayText(text));
  return {toTwips(r.width()), toTwips(std::max(r.height(), fm.height()))};
}

int QtToolkit::titleBarWidth(std::string_view caption) const {
  // The window manager's font and buttons are its own: the desktop's font in
  // bold, and square buttons as high as the bar, stand for them.
  QFont font = QGuiApplication::font();
  font.setBold(true);
  const QFontMetrics fm(font);
  const int bar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  // An icon, minimize, maximize and close; the frame and the label's margins.
  return toTwips(fm.horizontalAdvance(toQString(caption)) + 4 * std::max(bar, fm.height()) +
                 4 * fm.averageCharWidth());
}

std::optional<forms::Picture> QtToolkit::loadPicture(const std::string& file) const {
  QImageReader reader(toQString(file));
  if (!reader.canRead()) return std::nullopt;
  QSize size = reader.size();
  if (!size.isValid()) {
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    size = image.size();
  }
  return forms::Picture{file, size.width(), size.height()};
}

const QPixmap& QtToolkit::pixmap(const std::string& file) const {
  auto it = pixmaps_.find(file);
  if (it == pixmaps_.end()) {
    it = pixmaps_.emplace(file, std::make_unique<QPixmap>(toQString(file))).first;
  }
  return *it->second;
}

// ---- services

void QtToolkit::setFocus(forms::Control& c) {
  QWidget* w = widgetOf(c);
  if (w != nullptr && QApplication::focusWidget() != w) w->setFocus(Qt::OtherFocusReason);
}

void QtToolkit::setMousePointer(forms::MousePointer p) {
  pointer_ = p;
  if (overrideCursor_) QApplication::restoreOverrideCursor();
  overrideCursor_ = p != forms::MousePointer::Default;
  if (p == forms::MousePointer::Arrow) QApplication::setOverrideCursor(Qt::ArrowCursor);
  if (p == forms::MousePointer::Hourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtToolkit::beep() {
  ++beeps_;
  QApplication::beep();
}

void QtToolkit::popupMenu(Form& owner, forms::MenuItem& menu, forms::MenuItem* defaultItem) {
  QMenu popup(windowOf(owner));
  std::map<QAction*, forms::MenuItem*> items;
  std::function<void(QMenu*, forms::MenuItem&)> fill = [&](QMenu* m, forms::MenuItem& parent) {
    for (const auto& child : parent.items()) {
      if (!child->visible()) continue;
      if (child->isSeparator()) {
        m->addSeparator();
        continue;
      }
      QAction* a = nullptr;
      if (!child->items().empty()) {
        QMenu* sub = m->addMenu(toQString(child->caption()));
        fill(sub, *child);
        a = sub->menuAction();
      } else {
        a = m->addAction(toQString(child->caption()));
        items[a] = child.get();
      }
      a->setCheckable(child->checked());
      a->setChecked(child->checked());
      a->setEnabled(child->enabled());
      if (child.get() == defaultItem) {
        QFont bold = a->font();
        bold.setBold(true);
        a->setFont(bold);
      }
    }
  };
  fill(&popup, menu);
  QAction* chosen = popup.exec(QCursor::pos());
  if (auto it = items.find(chosen); chosen != nullptr && it != items.end()) it->second->click();
}

bool QtToolkit::hasNotificationArea() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtToolkit::lacksItsTrayIcon(const Form& form) const {
  const auto& icons = trayBook_.icons();
  const auto owned = [&](const auto& i) { return i.owner == &form; };
  return std::any_of(icons.begin(), icons.end(), owned) &&
         std::none_of(icons.begin(), icons.end(),
                      [&](const auto& i) { return owned(i) && i.shown; });
}

bool QtToolkit::notify(const std::string& title, const std::string& text) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // Application, id to replace, icon, summary, body, actions, hints, timeout
  // (-1: the desktop's own).
  call << QStringLiteral("Quilbert") << 0U << QStringLiteral("quilbert") << toQString(title)
       << toDisplayText(text) << QStringList() << QVariantMap() << -1;
  // Sent without waiting for the answer: the desktop may be slow or absent.
  return bus.send(call);
}

bool QtToolkit::showTrayIcon(const forms::TrayIcons::Icon& icon) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  auto tray = std::make_unique<QSystemTrayIcon>();
  tray->setIcon(icon.picture.empty() ? QIcon() : QIcon(toQString(icon.picture.file)));
  tray->setToolTip(toQString(icon.tip));
  Form* form = icon.owner;
  QObject::connect(
      tray.get(), &QSystemTrayIcon::activated, tray.get(),
      [this, form](QSystemTrayIcon::ActivationReason reason) { trayActivated(*form, reason); });
  tray->show();
  trays_[{icon.owner, icon.id}] = std::move(tray);
  return true;
}

bool QtToolkit::setTrayTip(Form& owner, int id, const std::string& tip) {
  forms::TrayIcons::Icon* icon = trayBook_.find(owner, id);
  if (icon == nullptr) return false;
  icon->tip = tip;
  if (auto it = trays_.find({&owner, id}); it != trays_.end())
    it->second->setToolTip(toQString(tip));
  return true;
}

bool QtToolkit::addTrayIcon(Form& owner, int id, const std::string& tip,
                            const forms::Picture& icon) {
  const bool shown = trayBook_.add(owner, id, tip, icon);
  if (trayBook_.missing() && !trayRetry_->isActive()) trayRetry_->start();
  // Without its icon, the window keeps its task-list entry.
  if (QtFormView* v = viewOf(owner); v != nullptr && !shown) v->applyWindowFlags();
  return shown;
}

void QtToolkit::trayActivated(Form& owner, int reason) const {
  int message = 0;
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      message = kLeftButtonDoubleClick;
      break;
    case QSystemTrayIcon::Context:
      message = kRightButtonUp;
      break;
    case QSystemTrayIcon::Trigger:
      message = kLeftButtonUp;
      break;
    case QSystemTrayIcon::MiddleClick:
      message = kMiddleButtonUp;
      break;
    default:
      return;
  }
  forms::TrayIcons::restoreOwner(owner, message);
  // The classic callback: the message number as x, in pixels.
  owner.mouseMove(0, 0, static_cast<float>(message * twipsPerPixel_), 0.0F);
}

bool QtToolkit::removeTrayIcon(Form& owner, int id) {
  return trayBook_.remove(owner, id);
}

bool QtToolkit::minimized(const Form& form) const {
  const QtFormView* v = viewOf(form);
  return v != nullptr && v->window()->isMinimized();
}

bool QtToolkit::setTopMost(Form& form, bool onTop) {
  QtFormView* v = viewOf(form);
  if (v == nullptr) return false;
  v->setTopMost(onTop);
  return true;
}

std::optional<std::string> QtToolkit::browseForFolder(Form& owner,
                                                      const forms::FolderBrowseRequest& request) {
  return runFolderBrowser(windowOf(owner), network_, request);
}

std::optional<std::string> QtToolkit::chooseFile(Form& owner, const std::string& title, bool save,
                                                 const std::string& suggested) {
  const QString caption = QString::fromStdString(title);
  const QString filter = QStringLiteral("XML (*.xml)");
  const QString name = save
                           ? QFileDialog::getSaveFileName(windowOf(owner), caption,
                                                          QString::fromStdString(suggested), filter)
                           : QFileDialog::getOpenFileName(windowOf(owner), caption, {}, filter);
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

void QtToolkit::hideFromTaskList() {
  hiddenFromTaskList_ = true;
  for (QtFormView* v : views_) v->applyWindowFlags();
}

void QtToolkit::endProcess(int exitCode) {
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

void QtToolkit::watchReadable(int fd, std::function<void()> onReadable) {
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, notifierOwner_.get());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                   [callback = std::move(onReadable)] {
                     if (callback) callback();
                   });
}

}  // namespace quilbert::qtview
