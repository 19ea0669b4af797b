#include "ui/common/splash.h"

#include <algorithm>

#include "platform/forms/toolkit.h"
#include "ui/common/topmost.h"

namespace quilbert::ui {

namespace {
constexpr int kWidth = 3330;
constexpr int kHeight = 1170;
constexpr int kTextLeft = 60;
constexpr int kTextTop = 660;
constexpr int kTextWidth = 3195;
constexpr int kTextHeight = 435;
}  // namespace

SplashForm::SplashForm(Program& g)
    : Form(g.toolkit, "frmSplash"),
      Picture1(add<forms::PictureBox>("Picture1")),
      Etat(add<forms::Label>("Etat", 0, &Picture1)),
      Timer1(add<forms::Timer>("Timer1")),
      Timer2(add<forms::Timer>("Timer2")),
      Timer3(add<forms::Timer>("Timer3")),
      g_(g) {
  setBorderStyle(forms::BorderStyle::FixedSingle);
  setTitleBar(false);
  setClientSize({kWidth, kHeight});
  setBackColor(forms::kWindowBackground);
  setShowInTaskbar(false);
  Picture1.move({0, 0, kWidth, kHeight});
  Picture1.setPicture(picture(g.toolkit, g.places.AppDir + "ico" + app::separator() + "splash"));
  Etat.move({kTextLeft, kTextTop, kTextWidth, kTextHeight});
  Etat.setFont({"Verdana", 8.25, true, false});
  Etat.setForeColor({128, 64, 0});
  Etat.setBackColor(forms::kWindowBackground);
  Etat.setCaption("Connections établies");
  Timer1.setInterval(1000);
  Timer1.setTimerEnabled(false);
  Timer2.setInterval(kPaintGraceMs);
  Timer2.setTimerEnabled(false);
  Timer3.setTimerEnabled(false);
  // The time starts once the window has been drawn.
  onPaint = [this] {
    Timer2.setTimerEnabled(false);
    Timer1.setTimerEnabled(true);
  };
  Timer1.onTick = [this] { Timer1_Timer(); };
  Timer2.onTick = [this] {
    Timer2.setTimerEnabled(false);
    if (!Timer1.timerEnabled()) Timer1.setTimerEnabled(true);
  };
  // Anywhere on the window, its text included: a person aims at the words.
  Picture1.onClick = [this] {
    if (onDismiss) onDismiss();
  };
  Etat.onClick = Picture1.onClick;
  onClick = Picture1.onClick;
  onQueryUnload = [this](int& cancel, forms::UnloadReason reason) {
    if (reason != forms::UnloadReason::ControlMenu || !onDismiss) return;
    cancel = 1;  // the handler closes it, once the pass has been told
    onDismiss();
  };
}

void SplashForm::setText(const std::string& text, const std::vector<std::string>& details) {
  std::string all = text;
  for (const auto& line : details) all += "\r\n" + line;
  Etat.setCaption(all);
  if (details.empty()) return;
  const auto need = toolkit().measureText(Etat.font(), all);
  const int maxWidth = toolkit().screenSize().width - 2 * kTextLeft - 600;
  const int width = std::clamp(need.width + 60, kTextWidth, std::max(kTextWidth, maxWidth));
  const int height = std::max(kTextHeight, need.height + 60);
  setClientSize({std::max(kWidth, width + 2 * kTextLeft),
                 kTextTop + height + (kHeight - kTextTop - kTextHeight)});
  Picture1.move({0, 0, clientSize().width, clientSize().height});
  Etat.move({kTextLeft, kTextTop, width, height});
}

void SplashForm::showTimed() {
  bool onTop = true;
  SetTopMost(*this, onTop);
  Timer2.setTimerEnabled(true);
  showModal();
}

void SplashForm::showBehind() {
  bool onTop = false;
  SetTopMost(*this, onTop);
  show();
}

void SplashForm::Timer1_Timer() {
  if (onTimeUp) {
    onTimeUp();
    return;
  }
  if (g_.state.SplashStatusOnly != 0 || g_.config.resident()) {
    unload();
    return;
  }
  toolkit().endProcess(0);
}

void showStatus(Program& g, const std::string& text, int intervalMs, int statusOnly,
                const std::vector<std::string>& details) {
  SplashForm splash(g);
  splash.load();
  splash.setText(text, details);
  splash.Timer1.setInterval(intervalMs);
  g.state.SplashStatusOnly = static_cast<std::int16_t>(statusOnly);
  g.svc.logStatus(text);
  for (const auto& line : details) g.svc.logStatus(line);
  splash.showTimed();
}

}  // namespace quilbert::ui
