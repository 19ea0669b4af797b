// The toolkit's message loops: the main loop, a loop per modal form, and
// the keys every loop handles before dispatching them.
#include "platform/win32/view/win32_control_window.h"
#include "platform/win32/view/win32_form_view.h"
#include "platform/win32/view/win32_toolkit.h"

namespace quilbert::win32view {

using forms::Form;

void Win32Toolkit::endModal(const Form& form) {
  for (ModalRun& run : modalRuns_) {
    if (run.form != &form || run.ended) continue;
    run.ended = true;
    // The windows behind come back first, and the one that was active takes
    // the activation while the modal window still has it: hidden or
    // destroyed first, it would hand the activation to some other program.
    for (HWND w : run.disabled) {
      if (IsWindow(w) != FALSE) EnableWindow(w, TRUE);
    }
    if (run.previous != nullptr && run.previous != run.window && IsWindow(run.previous) != FALSE &&
        IsWindowVisible(run.previous) != FALSE) {
      SetActiveWindow(run.previous);
    }
  }
}

bool Win32Toolkit::preTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_SYSCHAR) {
    return false;
  }
  Win32FormView* view = Win32FormView::of(msg.hwnd);
  if (view == nullptr) return false;
  forms::Control* c = view->controlOf(msg.hwnd);
  Form& form = view->form();
  if (msg.message == WM_SYSCHAR) {
    // Alt and a button's access key press the button; other keys go to the menu bar.
    ControlWindow* target = view->accessKeyTarget(static_cast<wchar_t>(msg.wParam));
    if (target == nullptr) return false;
    target->press();
    return true;
  }
  const int vk = static_cast<int>(msg.wParam);
  const int shift = currentShiftMask();
  const bool down = msg.message == WM_KEYDOWN;
  if (down && vk == VK_TAB && (shift & 6) == 0) {
    view->tabFrom(c, (shift & 1) != 0);
    return true;
  }
  const bool taken = (vk == VK_RETURN && form.roleButton(false) != nullptr) ||
                     (vk == VK_ESCAPE && form.roleButton(true) != nullptr);
  if (c != nullptr && form.focused() != c) form.focus(c);
  // The form model hears every key; Enter and Escape press the role buttons.
  if (down) {
    form.keyDown(vk, shift);
  } else {
    form.keyUp(vk, shift);
  }
  return taken;
}

bool Win32Toolkit::pumpOne() {
  destroyPending();
  MSG msg{};
  const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
  if (r == 0 || r == -1) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (!preTranslate(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void Win32Toolkit::runModal(Form& form) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr) return;
  ModalRun run{&form, v->window(), GetActiveWindow(), {}, false};
  // The other windows wait while this one is open, as behind any modal window.
  for (Win32FormView* other : views_) {
    HWND w = other->window();
    if (w != run.window && IsWindowVisible(w) != FALSE && IsWindowEnabled(w) != FALSE) {
      EnableWindow(w, FALSE);
      run.disabled.push_back(w);
    }
  }
  // Another program had the activation (the shell's): the window of ours
  // shown last is the one the user comes back to.
  if (run.previous == nullptr && !run.disabled.empty()) run.previous = run.disabled.back();
  modalRuns_.push_back(run);
  v->showWindow();
  auto open = [&form] { return form.loaded() && form.visible(); };
  while (open()) {
    if (!pumpOne()) break;
  }
  endModal(form);  // a quit ended the loop with the window still up
  modalRuns_.pop_back();
}

void Win32Toolkit::repaint(Form& form) {
  Win32FormView* v = viewOf(form);
  if (v == nullptr || IsWindowVisible(v->window()) == FALSE) return;
  HWND w = v->window();
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The Paint notification the drawing queued belongs to this repaint.
  MSG msg{};
  if (PeekMessageW(&msg, w, kPaintedMessage, kPaintedMessage, PM_REMOVE) != FALSE) {
    DispatchMessageW(&msg);
  }
}

void Win32Toolkit::processEvents() {
  destroyPending();
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!preTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  destroyPending();
}

int Win32Toolkit::runMainLoop() {
  // A quit asked for before the loop started (during start-up) ends it at once.
  if (!quitRequested_) {
    inMainLoop_ = true;
    while (!quitRequested_) {
      if (!pumpOne()) break;
    }
    inMainLoop_ = false;
  }
  quitRequested_ = false;
  destroyPending();
  return quitCode_;
}

void Win32Toolkit::quit(int exitCode) {
  quitRequested_ = true;
  quitCode_ = exitCode;
  // Wakes a loop waiting in GetMessage.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

}  // namespace quilbert::win32view
