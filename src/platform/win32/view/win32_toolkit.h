// Win32 backend of the form model: every form is a top-level window made with
// CreateWindowExW, every control a standard control (or a small window class
// of ours for pictures and lines), timers are SetTimer timers of the form's
// window, and modal forms run their own GetMessage loop. The services use
// their Windows counterparts: Shell_NotifyIconA, SHBrowseForFolderA,
// SetWindowPos, SetCursor, MessageBeep.
//
// Units: twips become pixels at 1440 / the screen's logical dpi twips per
// pixel (15 at 96 dpi), read once when the toolkit starts.
//
// Keys go through the loops of this toolkit: Tab and Shift+Tab move the
// focus through the controls in the form's Tab order (tab index, then the
// order they were added), the order their windows also stack in;
// Enter and Escape go to the default and cancel buttons, and every key also
// reaches the form model's key events. Other keys stay with the control that
// has the focus: arrows never move it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/toolkit.h"
#include "platform/forms/tray_icons.h"

namespace quilbert::win32view {

class Win32FormView;

class Win32Toolkit : public forms::Toolkit {
 public:
  Win32Toolkit();
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  [[nodiscard]] double twipsPerPixel() const override { return twipsPerPixel_; }

  // The window of a loaded form and the window of one of its controls (null
  // when there is none); for tests and screenshots.
  [[nodiscard]] static HWND windowOf(const forms::Form& form);
  [[nodiscard]] static HWND windowOf(const forms::Control& control);

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
  // A balloon from the first icon shown; false without one.
  bool notify(const std::string& title, const std::string& text) override;
  // The shell's message to every top-level window when a task bar starts
  // (at log-on, or again after a failure): the icons it held are gone, and
  // those it could not take yet can be added now.
  static UINT taskbarCreatedMessage();
  void taskbarCreated();
  [[nodiscard]] const forms::TrayIcons& trayIcons() const { return trays_; }
  bool setTopMost(forms::Form& form, bool onTop) override;
  std::optional<std::string> browseForFolder(forms::Form& owner,
                                             const forms::FolderBrowseRequest& request) override;
  std::optional<std::string> chooseFile(forms::Form& owner, const std::string& title, bool save,
                                        const std::string& suggested) override;
  void hideFromTaskList() override;
  [[noreturn]] void endProcess(int exitCode) override;

  // How many times the program has beeped.
  [[nodiscard]] int beeps() const { return beeps_; }

  // ---- used by the views
  // A picture file as a bitmap or an icon, loaded once; null when unreadable.
  // width and height are the picture's own pixels, as designed at 96 dpi;
  // it is drawn at the same size in twips, drawnWidth by drawnHeight pixels
  // of the screen, so that it fills the box designed for it at any dpi.
  struct Image {
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
    int width = 0;
    int height = 0;
    int drawnWidth = 0;
    int drawnHeight = 0;
  };
  [[nodiscard]] const Image& image(const std::string& file) const;
  [[nodiscard]] HFONT font(const forms::Font& f) const;
  // What a colour of the model paints. With high contrast on, the system's
  // colour of that part stands in for whatever the design chose, so that
  // every text keeps the contrast the user asked for.
  enum class Paint { Surface, Text, ButtonFace, ButtonText, BoxFace, BoxText, Line };
  [[nodiscard]] COLORREF color(forms::Color c, Paint part) const;
  [[nodiscard]] HBRUSH brush(forms::Color c, Paint part) const;
  [[nodiscard]] bool highContrast() const { return highContrast_; }
  // The system's colours or its high-contrast setting changed: every form
  // is drawn again with what applies now.
  void systemColorsChanged(bool highContrast);
  // Whether the system's high-contrast setting is on.
  static bool readHighContrast();
  // Whether the system has a font of that face (not a substitute).
  [[nodiscard]] bool hasFace(const std::string& face) const;
  [[nodiscard]] bool hiddenFromTaskList() const { return hiddenFromTaskList_; }
  // The hidden window that owns the forms kept off the task list.
  [[nodiscard]] HWND hiddenOwner() const { return hiddenOwner_; }
  void viewOpened(Win32FormView& view);
  // The screen's dpi changed (WM_DPICHANGED): fonts, pictures and every
  // view follow it.
  void dpiChanged(int dpi);
  // The view of `form` is going away: drop its tray icons and destroy its
  // window later.
  void viewClosing(forms::Form& form, HWND window);
  // Destroys a window once the handler running now has returned: an unload
  // may run inside one of the window's own messages.
  void destroyLater(HWND window);
  // Handles a message before it is dispatched (keys); true when it was used up.
  bool preTranslate(MSG& msg);
  // The window class names of forms and of our own controls.
  static const wchar_t* const kFormClass;
  static const wchar_t* const kPictureClass;
  static const wchar_t* const kLineClass;
  // The atom of the forms' window class.
  static ATOM formAtom();

 private:
  [[nodiscard]] static Win32FormView* viewOf(const forms::Form& form);
  [[nodiscard]] HBRUSH brush(forms::Color c) const;
  // The modal run of `form` is over: its owners are enabled and active again.
  void endModal(const forms::Form& form);
  // One round of the loop: false when WM_QUIT arrived (it is posted again).
  bool pumpOne();
  void destroyPending();
  void applyPointer() const;
  bool showTrayIcon(const forms::TrayIcons::Icon& icon) const;
  void hideTrayIcon(const forms::TrayIcons::Icon& icon) const;
  // Keeps trying the icons the shell has not taken yet, on a bounded timer.
  void retryTrayIconsLater();

  double twipsPerPixel_ = 15.0;
  int dpi_ = 96;
  forms::MousePointer pointer_ = forms::MousePointer::Default;
  bool hiddenFromTaskList_ = false;
  bool quitRequested_ = false;
  bool inMainLoop_ = false;
  int quitCode_ = 0;
  int beeps_ = 0;
  HWND hiddenOwner_ = nullptr;
  std::vector<Win32FormView*> views_;
  struct ModalRun {
    const forms::Form* form;
    HWND window;
    HWND previous;  // the window active before, active again after
    std::vector<HWND> disabled;
    bool ended;
  };
  std::vector<ModalRun> modalRuns_;
  std::vector<HWND> toDestroy_;
  forms::TrayIcons trays_;
  mutable std::map<std::string, Image> images_;
  // Fonts and pictures of an earlier dpi, which windows may still hold.
  std::vector<HGDIOBJ> retired_;
  std::vector<HICON> retiredIcons_;
  mutable std::map<std::string, bool> faces_;
  mutable std::vector<std::pair<forms::Font, HFONT>> fonts_;
  mutable std::vector<std::pair<forms::Color, HBRUSH>> brushes_;
  bool highContrast_ = false;
};

}  // namespace quilbert::win32view
