// The backend of the form model: renders forms, runs their loops and timers,
// and offers the services a window system gives a program (pointer, beep,
// pop-up menus, notification icon, keep-on-top, folder browser, text
// metrics, ending the process).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/types.h"

namespace quilbert::forms {

// What the folder browser's callback may do to the open browser.
class FolderBrowserHandle {
 public:
  virtual ~FolderBrowserHandle() = default;
  virtual void setStatusText(const std::string& text) = 0;
  virtual void enableOk(bool enable) = 0;
};

// A browser rooted at the network: the user picks a resource; the callback
// runs once the browser is ready (selection empty) and at every selection
// change with the selected item's file-system path, or nullopt for an item
// that has none (a workgroup or a server). The browser enables OK at each
// new selection before the callback runs, so the callback only disables it.
struct FolderBrowseRequest {
  std::string title;  // the window's title
  std::string instruction;
  // The captions of the two buttons, in the program's language ("&" marks
  // the access key); empty leaves the toolkit's own.
  std::string okCaption;
  std::string cancelCaption;
  bool showStatusText = false;
  std::function<void(FolderBrowserHandle& browser, const std::optional<std::string>& selection)>
      onSelectionChanged;
};

// Thrown by the headless backend where a real one would end the process.
struct ProcessEnded {
  int exitCode = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Creates the view of a form being loaded.
  virtual std::unique_ptr<FormView> createView(Form& form) = 0;
  // Shows the form, restored if it was minimized, and brings it to the front.
  virtual void show(Form& form) = 0;
  virtual void hide(Form& form) = 0;
  // Whether the user has minimized the (shown) form.
  [[nodiscard]] virtual bool minimized(const Form& /*form*/) const { return false; }
  // Shows the form and runs a nested loop until it is hidden or unloaded.
  virtual void runModal(Form& form) = 0;
  // Repaints the form now.
  virtual void repaint(Form& form) = 0;
  // Delivers pending events and repaints, then returns (DoEvents).
  virtual void processEvents() = 0;
  // The main loop; returns when quit() is called.
  virtual int runMainLoop() = 0;
  virtual void quit(int exitCode) = 0;

  // Outer size minus client size of a form, in twips (border, title, menu).
  [[nodiscard]] virtual Size frameExtra(const Form& form) const = 0;
  [[nodiscard]] virtual Size screenSize() const = 0;
  // The part of the screen windows may take (the screen without its task
  // bars and panels), in twips.
  [[nodiscard]] virtual Size workArea() const = 0;
  // Twips in one pixel of the screen (15 at 96 dpi).
  [[nodiscard]] virtual double twipsPerPixel() const { return kTwipsPerPixel; }
  // Twips to the nearest screen pixel, and pixels to the twips that cover them.
  [[nodiscard]] int toPixels(int twips) const;
  [[nodiscard]] int toTwips(double pixels) const;
  // Size, in twips, of a single-line or multi-line (CR LF or LF) text.
  [[nodiscard]] virtual Size measureText(const Font& font, std::string_view text) const = 0;
  // Outer width, in twips, a window needs to show this caption whole in its
  // title bar beside the bar's icon and buttons, as many as a window manager
  // may draw; 0 where there is no title bar to fit.
  [[nodiscard]] virtual int titleBarWidth(std::string_view /*caption*/) const { return 0; }
  // Loads a picture file; nullopt when it is missing or unreadable.
  [[nodiscard]] virtual std::optional<Picture> loadPicture(const std::string& file) const = 0;

  virtual void setFocus(Control& c) = 0;
  [[nodiscard]] virtual MousePointer mousePointer() const = 0;
  virtual void setMousePointer(MousePointer p) = 0;
  virtual void beep() = 0;
  // Pops up a menu at the mouse position and returns once it is closed (the
  // chosen item's click has run by then).
  virtual void popupMenu(Form& owner, MenuItem& menu, MenuItem* defaultItem) = 0;
  // Notification-area icon whose mouse messages reach owner.mouseMove() with
  // x = message number in pixels, as the classic tray callback delivers them.
  virtual bool addTrayIcon(Form& owner, int id, const std::string& tip, const Picture& icon) = 0;
  virtual bool removeTrayIcon(Form& owner, int id) = 0;
  // Changes the tip of an icon added before (also once it is shown again);
  // false when there is none.
  virtual bool setTrayTip(Form& owner, int id, const std::string& tip) = 0;
  // Whether the desktop has a notification area for such icons now. Hiding a
  // form that asked for an icon it could not get minimizes it instead, so
  // that the task list still leads back to it; restoring it from there
  // reaches owner.mouseMove() as the icon's double click does.
  [[nodiscard]] virtual bool hasNotificationArea() const { return true; }
  // A short text through the desktop's notifications, a bubble that goes by
  // itself; false when the desktop has none. Never waits for the desktop.
  virtual bool notify(const std::string& /*title*/, const std::string& /*text*/) { return false; }
  // Keeps the form above all others (or not), without moving it.
  virtual bool setTopMost(Form& form, bool onTop) = 0;
  // Runs the network folder browser; the chosen path, or nullopt if cancelled.
  virtual std::optional<std::string> browseForFolder(Form& owner,
                                                     const FolderBrowseRequest& request) = 0;
  // Asks the person for a file (the system's own dialog): one to write when
  // `save` (replacing one is confirmed there), else one to read; `suggested`
  // its name. The chosen path in UTF-8, or nullopt when cancelled.
  virtual std::optional<std::string> chooseFile(Form& /*owner*/, const std::string& /*title*/,
                                                bool /*save*/, const std::string& /*suggested*/) {
    return std::nullopt;
  }
  // Keeps the program off the task list.
  virtual void hideFromTaskList() = 0;
  // Ends the process at once: no window event runs.
  [[noreturn]] virtual void endProcess(int exitCode) = 0;

  // The modal form the user answers now (the innermost one open), or null.
  [[nodiscard]] Form* activeModal() const { return modals_.empty() ? nullptr : modals_.back(); }

 private:
  friend class Form;  // showModal keeps the list
  std::vector<Form*> modals_;
};

}  // namespace quilbert::forms
