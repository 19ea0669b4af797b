// Containers and drawings: the frame, the picture box, the image and the line.
#include <algorithm>
#include <cstdlib>

#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"

namespace quilbert::win32view {

namespace {

// A control holding others, on a background of its own colour.
template <class M>
class ContainerWindow : public KindWindow<M> {
 public:
  ContainerWindow(Win32FormView& view, M& model, const wchar_t* windowClass, DWORD style)
      : KindWindow<M>(view, model, windowClass, style | WS_CLIPCHILDREN) {}
  // Containers pass their children's notifications on to the form.
  std::optional<LRESULT> childMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    return this->view().formMessage(msg, wp, lp);
  }
  std::optional<LRESULT> eraseBackground(HDC dc) override {
    return this->fill(dc, this->model_.backColor());
  }
};

LRESULT paintPicture(HWND w, const Win32Toolkit& toolkit, const forms::Picture& picture) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(w, &ps);
  if (!picture.empty()) drawPicture(dc, toolkit.image(picture.file), 0, 0, false, std::nullopt);
  EndPaint(w, &ps);
  return 0;
}

class FrameWindow : public ContainerWindow<forms::Frame> {
 public:
  FrameWindow(Win32FormView& view, forms::Frame& frame)
      : ContainerWindow(view, frame, L"BUTTON", BS_GROUPBOX) {}
  [[nodiscard]] std::string text() const override { return model_.caption(); }
  void textShown() override { redraw(); }
  // The system's dialog order goes through a frame's controls, not past them.
  [[nodiscard]] DWORD extendedStyle() const override { return WS_EX_CONTROLPARENT; }
};

class PictureBoxWindow : public ContainerWindow<forms::PictureBox> {
 public:
  PictureBoxWindow(Win32FormView& view, forms::PictureBox& box)
      : ContainerWindow(view, box, Win32Toolkit::kPictureClass, WS_TABSTOP) {}
  std::optional<LRESULT> paint() override {
    return paintPicture(window(), view().toolkit(), model_.picture());
  }
  void mouseDown() override { SetFocus(window()); }
  std::optional<LRESULT> mouseUp() override {
    model_.click();
    return 0;
  }
};

// Images and lines show what is behind them: their container's colour.
class ImageWindow : public KindWindow<forms::Image> {
 public:
  ImageWindow(Win32FormView& view, forms::Image& image)
      : KindWindow(view, image, Win32Toolkit::kPictureClass, 0) {}
  std::optional<LRESULT> eraseBackground(HDC dc) override { return fill(dc, behind()); }
  std::optional<LRESULT> paint() override {
    return paintPicture(window(), view().toolkit(), model_.picture());
  }
  std::optional<LRESULT> mouseUp() override {
    model_.click();
    return 0;
  }
};

class LineWindow : public KindWindow<forms::Line> {
 public:
  LineWindow(Win32FormView& view, forms::Line& line)
      : KindWindow(view, line, Win32Toolkit::kLineClass, 0) {}
  // The line's box, with room for its width on every side.
  [[nodiscard]] RECT place() const override;
  std::optional<LRESULT> eraseBackground(HDC dc) override { return fill(dc, behind()); }
  std::optional<LRESULT> paint() override;
  std::optional<LRESULT> hitTest() override { return HTTRANSPARENT; }
};

RECT LineWindow::place() const {
  const int pad = std::max(1, model_.borderWidth());
  const int x1 = view().px(model_.x1());
  const int y1 = view().px(model_.y1());
  const int x2 = view().px(model_.x2());
  const int y2 = view().px(model_.y2());
  const int left = std::min(x1, x2) - pad;
  const int top = std::min(y1, y2) - pad;
  return {left, top, left + std::abs(x2 - x1) + 2 * pad + 1, top + std::abs(y2 - y1) + 2 * pad + 1};
}

std::optional<LRESULT> LineWindow::paint() {
  HWND w = window();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(w, &ps);
  RECT wr{};
  GetWindowRect(w, &wr);
  MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&wr), 2);
  const LOGBRUSH lb{BS_SOLID, view().toolkit().color(model_.foreColor(), Win32Toolkit::Paint::Line),
                    0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT,
                          static_cast<DWORD>(std::max(1, model_.borderWidth())), &lb, 0, nullptr);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, view().px(model_.x1()) - wr.left, view().px(model_.y1()) - wr.top, nullptr);
  LineTo(dc, view().px(model_.x2()) - wr.left, view().px(model_.y2()) - wr.top);
  SelectObject(dc, old);
  DeleteObject(pen);
  EndPaint(w, &ps);
  return 0;
}

}  // namespace

std::unique_ptr<ControlWindow> makePictureWindow(Win32FormView& view, forms::Control& control) {
  auto w = windowFor<FrameWindow>(view, control);
  if (!w) w = windowFor<PictureBoxWindow>(view, control);
  if (!w) w = windowFor<ImageWindow>(view, control);
  if (!w) w = windowFor<LineWindow>(view, control);
  return w;
}

}  // namespace quilbert::win32view
