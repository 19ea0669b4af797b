// The Win32 view of one loaded form: a top-level window whose client area has
// the form's designed size, a menu bar built from the form's menus, and one
// child window per control, made when the form is first shown (a form loaded
// and never shown costs only its own window). Windows find their view through the form
// window's user data, which the view clears when it goes, so a message
// arriving after an unload touches nothing.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/forms/form.h"
#include "platform/forms/paint_queue.h"

namespace quilbert::win32view {

class ControlWindow;
class Win32Toolkit;

class Win32FormView : public forms::FormView {
 public:
  Win32FormView(Win32Toolkit& toolkit, forms::Form& form);
  ~Win32FormView() override;
  Win32FormView(const Win32FormView&) = delete;
  Win32FormView& operator=(const Win32FormView&) = delete;

  void controlAdded(forms::Control& c) override;
  void controlChanged(forms::Control& c, forms::Prop p) override;
  void formChanged(forms::Prop p) override;
  void menuChanged(forms::MenuItem& item) override;

  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] HWND windowOf(const forms::Control& c) const;
  [[nodiscard]] forms::Control* controlOf(HWND w) const;
  [[nodiscard]] ControlWindow* controlWindow(HWND w) const;
  [[nodiscard]] forms::Form& form() const { return form_; }
  [[nodiscard]] Win32Toolkit& toolkit() const { return toolkit_; }
  // The tool tip window of the form's controls.
  [[nodiscard]] HWND toolTips() const { return tooltip_; }
  // The view of a window of ours (a form or one of its controls), if any.
  [[nodiscard]] static Win32FormView* of(HWND w);
  // The procedure of the forms' window class.
  static LRESULT CALLBACK windowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

  void showWindow();
  void hideWindow();
  void setTopMost(bool onTop);
  // Places and draws everything again at the toolkit's (new) dpi.
  void rescale();
  // Window styles from the border style, title bar and task-list setting.
  void applyStyle();
  // Moves the focus to the next (or previous) control that takes it.
  void tabFrom(forms::Control* c, bool backwards);
  // Stacks the windows that take the focus in the form's Tab order, each in
  // its container, and a container where its first such control comes: the
  // system's own order (GetNextDlgTabItem, which readers and other tools
  // follow) is then the one tabFrom follows.
  void arrangeTabOrder();
  // The enabled button or check box whose caption marks `key` with "&".
  [[nodiscard]] ControlWindow* accessKeyTarget(wchar_t key) const;

  // Twips of the design to pixels of this window, and a font of the design
  // as drawn in it (see fitToWorkArea).
  [[nodiscard]] int px(int twips) const;
  [[nodiscard]] forms::Font fitted(forms::Font f) const;

  // Text on its way between model and windows: a box's change is not passed
  // back while the model's text is set; while the user's typing reaches the
  // model, no text or caption of the form is set from it.
  struct TextTransfer {
    bool fromModel = false;
    bool fromUser = false;
  };
  [[nodiscard]] TextTransfer& textTransfer() { return textTransfer_; }

  // Messages to the form's window; containers pass their children's on.
  LRESULT formMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  // The controls' windows and the tool tips, made at the first show from the
  // model's state then; until then a property change has nothing to show.
  void buildControls();
  void rebuildMenuBar();
  // Builds the menu bar if items changed since it was last built.
  void applyMenuChanges();
  // The command id of a menu item, the same at every build of the bar.
  UINT commandOf(forms::MenuItem& item);
  void applyClientSize();
  // A window larger than its screen's work area (a high dpi on a small
  // screen) is drawn smaller as a whole, controls and fonts alike, so that
  // every control stays on the screen; fit_ is that ratio (1: as designed).
  void fitToWorkArea();
  // Places and draws every control again, after fit_ or the dpi changed.
  void rescaleControls();
  void place();
  void startTimer(forms::Timer& t);
  // Off the task list: owned by the toolkit's hidden window.
  [[nodiscard]] bool owned() const;
  [[nodiscard]] DWORD style() const;
  [[nodiscard]] DWORD exStyle() const;

  // ---- messages (win32_form_window.cpp); nullopt: the default procedure's
  std::optional<LRESULT> childMessage(UINT msg, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> windowMessage(UINT msg, WPARAM wp, LPARAM lp);
  void command(WPARAM wp, LPARAM lp);
  LRESULT colorFor(HWND control, HDC dc);
  void dpiChanged(int dpi, const RECT& suggested);
  void endSession(bool ending);
  void eraseBackground(HDC dc);
  void paint();
  void mouseMove(WPARAM wp, LPARAM lp);
  void timer(UINT_PTR id);
  bool setCursor(LPARAM lp);
  bool activate(WPARAM wp);

  Win32Toolkit& toolkit_;
  forms::Form& form_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  double fit_ = 1.0;
  bool placed_ = false;
  bool topMost_ = false;
  bool built_ = false;
  bool building_ = false;
  TextTransfer textTransfer_;
  forms::PaintQueue paint_;
  bool menuPending_ = false;
  std::map<const forms::Control*, ControlWindow*> windows_;
  std::map<HWND, std::unique_ptr<ControlWindow>> controls_;
  std::map<UINT_PTR, forms::Timer*> timers_;
  std::map<UINT, forms::MenuItem*> commands_;
  std::map<const forms::MenuItem*, UINT> commandIds_;
  static constexpr UINT kFirstCommand = 1000;
  UINT_PTR nextTimer_ = 1;
  int nextId_ = 100;
};

// Messages of our own, posted to a form's window.
inline constexpr UINT kPaintedMessage = WM_APP + 1;
inline constexpr UINT kMenuMessage = WM_APP + 2;

// The Windows virtual-key shift mask of the form model (1 shift, 2 ctrl, 4 alt).
int currentShiftMask();
// The text a window shows.
std::wstring windowText(HWND w);

}  // namespace quilbert::win32view
