// Controls of text: the label, the text box and the list.
#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/win32_text.h"

namespace quilbert::win32view {

using platform::win32::narrow;
using platform::win32::widen;

namespace {

class LabelWindow : public KindWindow<forms::Label> {
 public:
  // Word wrap is the static control's own.
  LabelWindow(Win32FormView& view, forms::Label& label)
      : KindWindow(view, label, L"STATIC", SS_NOTIFY | SS_NOPREFIX) {}
  void notified(UINT code) override {
    if (code == STN_CLICKED && model_.effectivelyEnabled() && model_.onClick) model_.onClick();
  }
  [[nodiscard]] std::string text() const override { return model_.caption(); }
  void applyStyle() override;
};

void LabelWindow::applyStyle() {
  auto s = static_cast<DWORD>(GetWindowLongPtrW(window(), GWL_STYLE)) & ~DWORD{SS_TYPEMASK};
  switch (model_.alignment()) {
    case forms::Alignment::Right:
      s |= SS_RIGHT;
      break;
    case forms::Alignment::Center:
      s |= SS_CENTER;
      break;
    case forms::Alignment::Left:
      s |= SS_LEFT;
      break;
  }
  SetWindowLongPtrW(window(), GWL_STYLE, static_cast<LONG_PTR>(s));
  redraw();
}

class TextBoxWindow : public KindWindow<forms::TextBox> {
 public:
  TextBoxWindow(Win32FormView& view, forms::TextBox& box)
      : KindWindow(view, box, L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP) {}
  void applyAll() override {
    applyFont();  // and the style with it
    applyToolTip();
  }
  void notified(UINT code) override;
  // A text box taking the focus by Tab shows its whole text selected.
  void tabbedInto() override { SendMessageW(window(), EM_SETSEL, 0, -1); }
  [[nodiscard]] std::string text() const override { return model_.text(); }
  [[nodiscard]] COLORREF textColor() const override {
    return model_.enabled() ? KindWindow::textColor() : GetSysColor(COLOR_GRAYTEXT);
  }
  [[nodiscard]] Win32Toolkit::Paint face() const override { return Win32Toolkit::Paint::BoxFace; }
  [[nodiscard]] Win32Toolkit::Paint ink() const override { return Win32Toolkit::Paint::BoxText; }
  void applyFont() override {
    KindWindow::applyFont();
    applyStyle();
  }
  void applyStyle() override;
  // The same text set again: the box shows its start, as it does when given
  // a new one.
  void textShown() override {
    SendMessageW(window(), EM_SETSEL, 0, 0);
    SendMessageW(window(), EM_SCROLLCARET, 0, 0);
  }
  // The border is drawn in the box's border colour.
  std::optional<LRESULT> paintFrame() override;
};

void TextBoxWindow::notified(UINT code) {
  Win32FormView::TextTransfer& transfer = view().textTransfer();
  if (code != EN_CHANGE || transfer.fromModel) return;
  transfer.fromUser = true;
  model_.setText(narrow(windowText(window())));
  transfer.fromUser = false;
}

void TextBoxWindow::applyStyle() {
  wchar_t mask = 0;
  if (model_.passwordChar() != 0) {
    // The designed mask is a letter of a symbol font; where that font is
    // missing the letter would show as itself, so a bullet stands in.
    mask = model_.font().symbol && !view().toolkit().hasFace(model_.font().name)
               ? L'*'
               : static_cast<wchar_t>(model_.passwordChar());
  }
  SendMessageW(window(), EM_SETPASSWORDCHAR, mask, 0);
  if (mask == L'*') {
    forms::Font plain = model_.font();
    plain.name = "MS Sans Serif";
    plain.symbol = false;
    HFONT font = view().toolkit().font(view().fitted(plain));
    SendMessageW(window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SetWindowPos(window(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  redraw();
}

std::optional<LRESULT> TextBoxWindow::paintFrame() {
  HDC dc = GetWindowDC(window());
  RECT r{};
  GetWindowRect(window(), &r);
  OffsetRect(&r, -r.left, -r.top);
  FrameRect(dc, &r, view().toolkit().brush(model_.borderColor(), Win32Toolkit::Paint::Line));
  ReleaseDC(window(), dc);
  return 0;
}

class ListWindow : public KindWindow<forms::ListBox> {
 public:
  ListWindow(Win32FormView& view, forms::ListBox& list)
      : KindWindow(view, list, L"LISTBOX",
                   LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP) {}
  // Items are only ever added, or all cleared: the new ones are added.
  void applyItems() override;
  [[nodiscard]] Win32Toolkit::Paint face() const override { return Win32Toolkit::Paint::BoxFace; }
  [[nodiscard]] Win32Toolkit::Paint ink() const override { return Win32Toolkit::Paint::BoxText; }

 private:
  std::size_t shown_ = 0;
};

void ListWindow::applyItems() {
  const auto& items = model_.items();
  if (items.size() < shown_) {
    SendMessageW(window(), LB_RESETCONTENT, 0, 0);
    shown_ = 0;
  }
  if (items.size() == shown_) return;
  const bool many = items.size() - shown_ > 50;
  if (many) SendMessageW(window(), WM_SETREDRAW, FALSE, 0);
  for (; shown_ < items.size(); ++shown_) {
    const std::wstring text = widen(items[shown_]);
    SendMessageW(window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (many) {
    SendMessageW(window(), WM_SETREDRAW, TRUE, 0);
    redraw();
  }
}

}  // namespace

std::unique_ptr<ControlWindow> makeTextWindow(Win32FormView& view, forms::Control& control) {
  auto w = windowFor<LabelWindow>(view, control);
  if (!w) w = windowFor<TextBoxWindow>(view, control);
  if (!w) w = windowFor<ListWindow>(view, control);
  return w;
}

}  // namespace quilbert::win32view
