// Buttons: the flat button (drawn here), the push button and the check box.
// A click, or Alt and the caption's access key, presses them.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::widen;

namespace {

template <class M>
class ButtonWindow : public KindWindow<M> {
 public:
  ButtonWindow(Win32FormView& view, M& model, DWORD style)
      : KindWindow<M>(view, model, L"BUTTON", style | WS_TABSTOP) {}
  void notified(UINT code) override {
    if (code == BN_CLICKED) this->press();
  }
  [[nodiscard]] bool takesAccessKey() const override { return true; }
  [[nodiscard]] std::string text() const override { return this->model_.caption(); }
};

class FlatButtonWindow : public ButtonWindow<forms::FlatButton> {
 public:
  FlatButtonWindow(Win32FormView& view, forms::FlatButton& b)
      : ButtonWindow(view, b, BS_OWNERDRAW) {}
  void press() override { model_.click(); }
  bool draw(const DRAWITEMSTRUCT& d) override;

 private:
  // The picture and the caption side by side, centred; shifted while pressed.
  void drawContent(HDC dc, const RECT& r, bool pressed, bool disabled);
};

bool FlatButtonWindow::draw(const DRAWITEMSTRUCT& d) {
  using Paint = Win32Toolkit::Paint;
  const Win32Toolkit& toolkit = view().toolkit();
  RECT r = d.rcItem;
  FillRect(d.hDC, &r, toolkit.brush(model_.backColor(), Paint::ButtonFace));
  const bool pressed = (d.itemState & ODS_SELECTED) != 0;
  drawContent(d.hDC, r, pressed, (d.itemState & ODS_DISABLED) != 0);
  // Flat: an edge only while pressed, and a dotted frame around the focus.
  // With high contrast a flat button has no edge to tell it from the window:
  // it is framed in the text's colour.
  if (toolkit.highContrast()) FrameRect(d.hDC, &r, toolkit.brush({}, Paint::ButtonText));
  if (pressed) DrawEdge(d.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
  if ((d.itemState & ODS_FOCUS) != 0 && !pressed) {
    RECT f = r;
    InflateRect(&f, -2, -2);
    DrawFocusRect(d.hDC, &f);
  }
  return true;
}

void FlatButtonWindow::drawContent(HDC dc, const RECT& r, bool pressed, bool disabled) {
  Win32Toolkit& toolkit = view().toolkit();
  const int shift = pressed ? 1 : 0;
  const Win32Toolkit::Image* im = nullptr;
  if (!model_.picture().empty()) im = &toolkit.image(model_.picture().file);
  if (im != nullptr && im->bitmap == nullptr && im->icon == nullptr) im = nullptr;
  const std::wstring caption = widen(model_.caption());
  HGDIOBJ oldFont = SelectObject(dc, toolkit.font(view().fitted(model_.font())));
  RECT textBox{0, 0, 0, 0};
  if (!caption.empty()) DrawTextW(dc, caption.c_str(), -1, &textBox, DT_CALCRECT | DT_SINGLELINE);
  const int gap = im != nullptr && !caption.empty() ? 4 : 0;
  const int total = (im != nullptr ? im->drawnWidth : 0) + gap + (textBox.right - textBox.left);
  int x = r.left + (r.right - r.left - total) / 2 + shift;
  if (im != nullptr) {
    const int y = r.top + (r.bottom - r.top - im->drawnHeight) / 2 + shift;
    drawPicture(dc, *im, x, y, disabled, model_.maskColor());
    x += im->drawnWidth + gap;
  }
  if (!caption.empty()) {
    RECT t{x, r.top + shift, r.right, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT)
                              : toolkit.color(model_.foreColor(), Win32Toolkit::Paint::ButtonText));
    DrawTextW(dc, caption.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
  SelectObject(dc, oldFont);
}

class PushButtonWindow : public ButtonWindow<forms::PushButton> {
 public:
  PushButtonWindow(Win32FormView& view, forms::PushButton& b)
      : ButtonWindow(view, b, BS_PUSHBUTTON) {}
  void press() override { model_.click(); }
  void applyStyle() override {
    SendMessageW(window(), BM_SETSTYLE, model_.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                 TRUE);
  }
};

class CheckBoxWindow : public ButtonWindow<forms::CheckBox> {
 public:
  CheckBoxWindow(Win32FormView& view, forms::CheckBox& b) : ButtonWindow(view, b, BS_3STATE) {}
  void press() override { model_.userClick(); }
  // A check box without a caption has no text to frame with the focus: the
  // frame goes round the box itself.
  std::optional<LRESULT> paint() override;
  void focusChanged() override {
    if (model_.caption().empty()) redraw();
  }
  void applyValue() override {
    const int v = model_.value();
    SendMessageW(window(), BM_SETCHECK,
                 v == 1   ? BST_CHECKED
                 : v == 2 ? BST_INDETERMINATE
                          : BST_UNCHECKED,
                 0);
  }
};

std::optional<LRESULT> CheckBoxWindow::paint() {
  if (!model_.caption().empty()) return std::nullopt;
  DefSubclassProc(window(), WM_PAINT, 0, 0);
  if (GetFocus() == window()) {
    HDC dc = GetDC(window());
    RECT r{};
    GetClientRect(window(), &r);
    DrawFocusRect(dc, &r);
    ReleaseDC(window(), dc);
  }
  return 0;
}

}  // namespace

std::unique_ptr<ControlWindow> makeButtonWindow(Win32FormView& view, forms::Control& control) {
  auto w = windowFor<FlatButtonWindow>(view, control);
  if (!w) w = windowFor<PushButtonWindow>(view, control);
  if (!w) w = windowFor<CheckBoxWindow>(view, control);
  return w;
}

}  // namespace quilbert::win32view
