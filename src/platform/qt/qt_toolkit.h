// Qt 6 Widgets backend of the form model: every form becomes a top-level
// window with one widget per control, timers are precise QTimers, modal forms
// run nested QEventLoops, and the services (pointer, beep, pop-up menus,
// notification icon, keep-on-top, network folder browser) use their Qt
// counterparts. Runs under QT_QPA_PLATFORM=offscreen for tests.
//
// Units: a form's twips become pixels at 1440 / logical dpi twips per pixel
// (15 at 96 dpi), read once from the primary screen when the toolkit starts.
//
// QApplication: the toolkit uses the QApplication that exists when it is
// constructed; if there is none, the (argc, argv) constructor creates one and
// owns it, and it is destroyed with the toolkit. Windows never end the
// program by closing: quitOnLastWindowClosed is turned off.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/toolkit.h"
#include "platform/forms/tray_icons.h"
#include "platform/network.h"

class QApplication;
class QObject;
class QPixmap;
class QSystemTrayIcon;
class QTimer;
class QEventLoop;
class QWidget;

namespace quilbert::qtview {

class QtFormView;

class QtToolkit : public forms::Toolkit {
 public:
  // Creates the QApplication when none exists yet (argc and argv must then
  // outlive the toolkit, as QApplication requires). `network` feeds the folder
  // browser; null leaves its tree empty.
  QtToolkit(int& argc, char** argv, platform::Network* network = nullptr);
  // Uses the QApplication the caller has created.
  explicit QtToolkit(platform::Network* network = nullptr);
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  // Twips per pixel of the primary screen (15 at 96 dpi).
  [[nodiscard]] double twipsPerPixel() const override { return twipsPerPixel_; }

  // The top-level window of a loaded form (null when it is not loaded), and
  // the widget of one of its controls; for tests, screenshots and embedding.
  [[nodiscard]] static QWidget* windowOf(const forms::Form& form);
  [[nodiscard]] static QWidget* widgetOf(const forms::Control& control);

  // ---- forms::Toolkit
  std::unique_ptr<forms::FormView> createView(forms::Form& form) override;
  void show(forms::Form& form) override;
  void hide(forms::Form& form) override;
  [[nodiscard]] bool minimized(const forms::Form& form) const override;
  void runModal(forms::Form& form) override;
  void repaint(forms::Form& form) override;
  void processEvents() override;
  int runMainLoop() override;
  void quit(int exitCode) override;
  [[nodiscard]] forms::Size frameExtra(const forms::Form& form) const override;
  [[nodiscard]] forms::Size screenSize() const override;
  [[nodiscard]] forms::Size workArea() const override;
  [[nodiscard]] int titleBarWidth(std::string_view caption) const override;
  [[nodiscard]] forms::Size measureText(const forms::Font& font,
                                        std::string_view text) const override;
  [[nodiscard]] std::optional<forms::Picture> loadPicture(const std::string& file) const override;
  void setFocus(forms::Control& c) override;
  [[nodiscard]] forms::MousePointer mousePointer() const override { return pointer_; }
  void setMousePointer(forms::MousePointer p) override;
  void beep() override;
  void popupMenu(forms::Form& owner, forms::MenuItem& menu, forms::MenuItem* defaultItem) override;
  bool addTrayIcon(forms::Form& owner, int id, const std::string& tip,
                   const forms::Picture& icon) override;
  bool removeTrayIcon(forms::Form& owner, int id) override;
  bool setTrayTip(forms::Form& owner, int id, const std::string& tip) override;
  [[nodiscard]] bool hasNotificationArea() const override;
  bool notify(const std::string& title, const std::string& text) override;
  bool setTopMost(forms::Form& form, bool onTop) override;
  std::optional<std::string> browseForFolder(forms::Form& owner,
                                             const forms::FolderBrowseRequest& request) override;
  std::optional<std::string> chooseFile(forms::Form& owner, const std::string& title, bool save,
                                        const std::string& suggested) override;
  void hideFromTaskList() override;
  [[noreturn]] void endProcess(int exitCode) override;
  // Watches a file descriptor for input and calls back on the UI thread.
  void watchReadable(int fd, std::function<void()> onReadable);

  // The network the folder browser shows from now on.
  void setNetwork(platform::Network* network) { network_ = network; }

  // How many times the program has beeped (a user's only feedback for some
  // refusals; tests check it).
  [[nodiscard]] int beeps() const { return beeps_; }
  // What a notification icon's activation delivers to its owner: the classic
  // mouse message (0x203 double click, 0x205 right button up...) as x.
  // QSystemTrayIcon::activated is connected here; `reason` is its value.
  void trayActivated(forms::Form& owner, int reason) const;

  // The desktop session is ending (log-off, shutdown): a window closed from
  // now on is closed by the system, not by the user. The session manager's
  // commit request calls it.
  void noteSessionEnding() { sessionEnding_ = true; }
  [[nodiscard]] bool sessionEnding() const;

  // The desktop asks for high contrast (its settings portal says so, at start
  // and when it changes): the windows then take the desktop palette's colours
  // wherever the design sets its own. Set by the portal's answer.
  [[nodiscard]] bool highContrast() const { return highContrast_; }
  void setHighContrast(bool on);

  // ---- used by the views
  // The form asked for a notification icon and has none: hiding it would
  // leave nothing to bring it back by.
  [[nodiscard]] bool lacksItsTrayIcon(const forms::Form& form) const;
  [[nodiscard]] bool hiddenFromTaskList() const { return hiddenFromTaskList_; }
  // A picture file as a pixmap, cached by file name; a null pixmap when unreadable.
  [[nodiscard]] const QPixmap& pixmap(const std::string& file) const;
  void viewOpened(QtFormView& view);
  // Asks the desktop's settings portal for its contrast, and follows it.
  void followDesktopContrast();
  // The view of `form` is going away: end its modal loop, drop its tray icons.
  void viewClosing(forms::Form& form);
  // Frame margins the window manager gave a decorated window, once seen.
  void noteFrameMargins(int horizontal, int vertical);

 private:
  struct ModalRun {
    forms::Form* form;
    QEventLoop* loop;
  };
  void init();
  bool showTrayIcon(const forms::TrayIcons::Icon& icon);

  std::unique_ptr<QApplication> ownedApp_;
  platform::Network* network_ = nullptr;
  double twipsPerPixel_ = 15.0;
  forms::MousePointer pointer_ = forms::MousePointer::Default;
  bool overrideCursor_ = false;
  bool hiddenFromTaskList_ = false;
  bool sessionEnding_ = false;
  bool highContrast_ = false;
  bool quitRequested_ = false;
  int quitCode_ = 0;
  int beeps_ = 0;
  std::optional<std::pair<int, int>> frameMargins_;
  std::vector<ModalRun> modalRuns_;
  QEventLoop* mainLoop_ = nullptr;
  std::vector<QtFormView*> views_;
  std::map<std::pair<const forms::Form*, int>, std::unique_ptr<QSystemTrayIcon>> trays_;
  forms::TrayIcons trayBook_;
  std::unique_ptr<QTimer> trayRetry_;
  std::unique_ptr<QObject> notifierOwner_;
  mutable std::map<std::string, std::unique_ptr<QPixmap>> pixmaps_;
};

}  // namespace quilbert::qtview
