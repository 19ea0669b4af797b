// Deterministic backend of the form model for tests: no toolkit, a virtual
// clock that fires due timers, scripted modal forms and folder browser, and
// records of what a person would have seen or heard. Never sleeps.
//
// Text metrics (documented so that layouts are exact in tests): a character
// is round(size * 120 / 11) twips wide (90 at 8.25 pt) and a line is
// round(size * 260 / 11) twips high (195 at 8.25 pt), whatever the font name
// or weight; a text is as wide as its longest line (lines end at LF, a CR
// before it is dropped) and as high as its line count, at least one.
// Frame metrics: 60 twips of border on each side, a 300-twip title bar when
// the form has one, a 300-twip menu bar when it has a visible menu.
// Screen: 1024 x 768 pixels (15360 x 11520 twips), whose bottom 40 pixels
// are a task bar: the work area is 15360 x 10920 twips.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/toolkit.h"

namespace quilbert::headless {

using forms::Form;

// A modal form the test did not expect (or one that never closed).
struct UnexpectedModal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The open folder browser as the script sees it.
struct HeadlessFolderBrowser : forms::FolderBrowserHandle {
  std::string statusText;
  bool okEnabled = true;
  void setStatusText(const std::string& text) override { statusText = text; }
  void enableOk(bool enable) override { okEnabled = enable; }
};

class HeadlessToolkit : public forms::Toolkit {
 public:
  HeadlessToolkit();
  ~HeadlessToolkit() override;

  // ---- the virtual clock
  [[nodiscard]] std::int64_t now() const { return now_; }
  // Lets ms milliseconds pass, firing every timer that falls due, in order.
  void advance(std::int64_t ms);
  // Lets time pass until `done` holds or `limitMs` has passed; true if done.
  bool advanceUntil(const std::function<bool()>& done, std::int64_t limitMs = 3'600'000);

  // ---- modal forms. The next modal form named `formName` runs `act` (which
  // may click, type or let time pass); whatever remains open afterwards has
  // time passed until it closes. A modal form with no expectation only has
  // time passed; if nothing closes it within an hour, UnexpectedModal.
  void expectModal(std::string formName, std::function<void(Form&)> act);
  [[nodiscard]] std::size_t pendingExpectations() const { return expectations_.size(); }

  // ---- the folder browser stand-in: the script plays the user.
  using BrowserScript = std::function<std::optional<std::string>(const forms::FolderBrowseRequest&,
                                                                 HeadlessFolderBrowser&)>;
  void setFolderBrowser(BrowserScript script) { browser_ = std::move(script); }
  // ---- the file dialog stand-in: (title, save) to the path chosen.
  using FileScript = std::function<std::optional<std::string>(const std::string&, bool)>;
  void setFileChooser(FileScript script) { fileChooser_ = std::move(script); }

  // ---- records
  struct TrayIcon {
    int id = 0;
    std::string tip;
    forms::Picture icon;
    Form* owner = nullptr;
    int tipsSet = 0;  // redrawn tips since the icon was added, same text or not
  };
  [[nodiscard]] int beeps() const { return beeps_; }
  [[nodiscard]] const std::vector<forms::MousePointer>& pointerHistory() const { return pointers_; }
  // Names of forms in the order they were shown (modal or not).
  [[nodiscard]] const std::vector<std::string>& shownForms() const { return shown_; }
  [[nodiscard]] const std::map<int, TrayIcon>& trayIcons() const { return tray_; }
  [[nodiscard]] const std::vector<std::string>& popupMenus() const { return popups_; }
  [[nodiscard]] bool hiddenFromTaskList() const { return hiddenFromTaskList_; }
  [[nodiscard]] bool isTopMost(const Form& f) const;
  [[nodiscard]] int repaints(const Form& f) const;
  // False: shown forms are never drawn (a display without a window manager
  // that never exposes them); no Paint event comes.
  bool paintsOnShow = true;
  // What to click when a pop-up menu opens (null: close it without a click).
  std::function<void(forms::MenuItem& menu)> onPopupMenu;

  // ---- Toolkit
  std::unique_ptr<forms::FormView> createView(Form& form) override;
  void show(Form& form) override;
  void hide(Form& form) override;
  void runModal(Form& form) override;
  void repaint(Form& form) override;
  void processEvents() override;
  int runMainLoop() override;
  void quit(int exitCode) override;
  [[nodiscard]] forms::Size frameExtra(const Form& form) const override;
  [[nodiscard]] forms::Size screenSize() const override;
  [[nodiscard]] forms::Size workArea() const override;
  // The caption in a bold 8.25-point font, an icon and three buttons of 300 twips, the frame.
  [[nodiscard]] int titleBarWidth(std::string_view caption) const override;
  [[nodiscard]] forms::Size measureText(const forms::Font& font,
                                        std::string_view text) const override;
  [[nodiscard]] std::optional<forms::Picture> loadPicture(const std::string& file) const override;
  void setFocus(forms::Control& c) override;
  [[nodiscard]] forms::MousePointer mousePointer() const override { return pointer_; }
  void setMousePointer(forms::MousePointer p) override;
  void beep() override { ++beeps_; }
  void popupMenu(Form& owner, forms::MenuItem& menu, forms::MenuItem* defaultItem) override;
  bool addTrayIcon(Form& owner, int id, const std::string& tip,
                   const forms::Picture& icon) override;
  bool removeTrayIcon(Form& owner, int id) override;
  bool setTrayTip(Form& owner, int id, const std::string& tip) override;
  bool notify(const std::string& title, const std::string& text) override;
  // The desktop notifications sent, "title: text" each.
  [[nodiscard]] const std::vector<std::string>& notifications() const { return notifications_; }
  bool setTopMost(Form& form, bool onTop) override;
  std::optional<std::string> browseForFolder(Form& owner,
                                             const forms::FolderBrowseRequest& request) override;
  std::optional<std::string> chooseFile(Form& owner, const std::string& title, bool save,
                                        const std::string& suggested) override;
  void hideFromTaskList() override { hiddenFromTaskList_ = true; }
  [[noreturn]] void endProcess(int exitCode) override;

  // Used by the views.
  void timerChanged(forms::Timer& t);
  void forget(Form& form);

 private:
  struct Scheduled {
    forms::Timer* timer;
    std::int64_t due;
  };
  struct Expectation {
    std::string formName;
    std::function<void(Form&)> act;
  };

  std::int64_t now_ = 0;
  std::vector<Scheduled> timers_;
  std::deque<Expectation> expectations_;
  BrowserScript browser_;
  FileScript fileChooser_;
  int beeps_ = 0;
  forms::MousePointer pointer_ = forms::MousePointer::Default;
  std::vector<forms::MousePointer> pointers_;
  std::vector<std::string> shown_;
  std::map<int, TrayIcon> tray_;
  std::vector<std::string> popups_;
  std::vector<std::string> notifications_;
  std::map<const Form*, bool> topMost_;
  std::map<const Form*, int> repaints_;
  bool hiddenFromTaskList_ = false;
  bool quit_ = false;
  int exitCode_ = 0;
};

}  // namespace quilbert::headless
