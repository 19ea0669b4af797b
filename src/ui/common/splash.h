// The status window: a small picture window that shows a status text for a
// set time, then closes itself or, after an automatic start that is not to
// stay resident, ends the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

// The longest a shown status window waits for its first paint before its
// time starts anyway: a window that is never drawn (no window manager at
// log-on) must not keep the automatic run waiting for ever.
inline constexpr int kPaintGraceMs = 3000;

class SplashForm : public forms::Form {
 public:
  explicit SplashForm(Program& g);

  forms::PictureBox& Picture1;
  forms::Label& Etat;
  forms::Timer& Timer1;
  forms::Timer& Timer2;  // starts Timer1 when no paint came
  forms::Timer& Timer3;  // free for the caller; disabled

  // When set, Timer1's tick calls this instead of closing the window.
  std::function<void()> onTimeUp;
  // When set, a click on the window or a request to close it calls this.
  std::function<void()> onDismiss;

  // The status text, with the lines below it; the window grows to hold them.
  void setText(const std::string& text, const std::vector<std::string>& details = {});
  // Shows the window modally, on top; the time starts at the first paint, or
  // kPaintGraceMs after the window is shown.
  void showTimed();
  // Shows the window without waiting and without keeping it on top: it stays
  // until the caller unloads it.
  void showBehind();

 private:
  void Timer1_Timer();
  Program& g_;
};

// What a caller does: fresh window, text (with `details` on lines of their
// own below it), interval, SplashStatusOnly, on top, shown modally. Returns
// when the window has closed itself. Each line goes to the status log.
void showStatus(Program& g, const std::string& text, int intervalMs, int statusOnly,
                const std::vector<std::string>& details = {});

}  // namespace quilbert::ui
