// The window of one control of a form. What every control shares is done
// here; each kind of control is a small subclass that handles only its own
// messages and properties (win32_buttons.cpp, win32_text_controls.cpp,
// win32_picture_controls.cpp). The form's view owns these objects and finds
// them by window; a message reaches one only while its view exists.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/forms/controls.h"
#include "platform/win32/view/win32_toolkit.h"

namespace quilbert::win32view {

class Win32FormView;

class ControlWindow {
 public:
  // The window of `control` for its kind; null for the kinds never shown.
  static std::unique_ptr<ControlWindow> make(Win32FormView& view, forms::Control& control);
  virtual ~ControlWindow() = default;
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;

  // Makes the window as it is to be: place, visibility, state and text in
  // one call, which saves Wine's server a round trip for each.
  HWND create(HWND parent, int id);
  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] forms::Control& control() const { return control_; }

  // Shows one property of the model.
  void apply(forms::Prop p);
  // Shows the properties not given when the window was made.
  virtual void applyAll();
  // Draws again, at the view's (new) scale.
  void rescale();

  // A message to the window; nullopt leaves it to the control's own procedure.
  std::optional<LRESULT> message(UINT msg, WPARAM wp, LPARAM lp);
  // A notification (WM_COMMAND) that the window sent to its container.
  virtual void notified(UINT /*code*/) {}
  // Draws an owner-drawn window; false for the others.
  virtual bool draw(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // Sets the colours of `dc` and gives the background brush (WM_CTLCOLOR...).
  LRESULT colors(HDC dc) const;
  // Whether Alt and the letter its caption marks with "&" press it.
  [[nodiscard]] virtual bool takesAccessKey() const { return false; }
  // What a click of the user, or its access key, does.
  virtual void press() {}
  // The focus arrived by Tab.
  virtual void tabbedInto() {}
  // The text of the window: a caption, a box's text.
  [[nodiscard]] virtual std::string text() const { return {}; }

 protected:
  ControlWindow(Win32FormView& view, forms::Control& control, const wchar_t* windowClass,
                DWORD style);
  Win32FormView& view() const { return view_; }
  // The window's rectangle in its container, in pixels.
  [[nodiscard]] virtual RECT place() const;
  [[nodiscard]] virtual DWORD extendedStyle() const { return 0; }
  [[nodiscard]] virtual COLORREF textColor() const;
  // What the control's back and fore colours paint (see Win32Toolkit::color).
  [[nodiscard]] virtual Win32Toolkit::Paint face() const { return Win32Toolkit::Paint::Surface; }
  [[nodiscard]] virtual Win32Toolkit::Paint ink() const { return Win32Toolkit::Paint::Text; }
  // The colour of what shows behind the control.
  [[nodiscard]] forms::Color behind() const;

  // ---- one function per property
  void applyGeometry();
  void applyVisible();
  void applyEnabled();
  void applyToolTip();
  // Tells screen readers that the name or description changed.
  void announceAccessible();
  virtual void applyFont();
  void redraw();
  void applyText();
  // The text was shown (or was already).
  virtual void textShown() {}
  virtual void applyValue() {}
  virtual void applyItems() {}
  virtual void applyStyle() {}

  // ---- messages, each with the control's own procedure as default
  virtual std::optional<LRESULT> childMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/) {
    return std::nullopt;
  }
  virtual std::optional<LRESULT> paintFrame() { return std::nullopt; }
  virtual std::optional<LRESULT> eraseBackground(HDC /*dc*/) { return std::nullopt; }
  virtual std::optional<LRESULT> paint() { return std::nullopt; }
  virtual std::optional<LRESULT> hitTest() { return std::nullopt; }
  // The window took the focus or lost it (after its own procedure saw it).
  virtual void focusChanged() {}
  virtual void mouseDown() {}
  virtual std::optional<LRESULT> mouseUp() { return std::nullopt; }
  // Fills the window with `color`: a background erased.
  LRESULT fill(HDC dc, forms::Color color) const;

 private:
  Win32FormView& view_;
  forms::Control& control_;
  const wchar_t* windowClass_;
  DWORD style_;
  HWND window_ = nullptr;
  // The accessible name and description readers were last told of.
  std::pair<std::string, std::string> namesShown_;
};

// The window of a control of model M, below Base.
template <class M, class Base = ControlWindow>
class KindWindow : public Base {
 public:
  using Model = M;
  KindWindow(Win32FormView& view, M& model, const wchar_t* windowClass, DWORD style)
      : Base(view, model, windowClass, style), model_(model) {}

 protected:
  M& model_;
};

// The window W of `control` when its model is W's; null otherwise.
template <class W>
std::unique_ptr<ControlWindow> windowFor(Win32FormView& view, forms::Control& control) {
  auto* model = dynamic_cast<typename W::Model*>(&control);
  return model != nullptr ? std::make_unique<W>(view, *model) : nullptr;
}
// The windows of the kinds of each file; null for the other kinds.
std::unique_ptr<ControlWindow> makeButtonWindow(Win32FormView& view, forms::Control& control);
std::unique_ptr<ControlWindow> makeTextWindow(Win32FormView& view, forms::Control& control);
std::unique_ptr<ControlWindow> makePictureWindow(Win32FormView& view, forms::Control& control);

COLORREF rgb(forms::Color c);
// Draws a picture at its drawn size (its designed size at the screen's dpi).
void drawPicture(HDC dc, const Win32Toolkit::Image& im, int x, int y, bool disabled,
                 std::optional<forms::Color> mask);

}  // namespace quilbert::win32view
