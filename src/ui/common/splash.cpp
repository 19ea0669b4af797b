#include "ui/common/splash.h"

#include "platform/forms/toolkit.h"
#include "ui/common/topmost.h"

namespace quilbert::ui {

SplashForm::SplashForm(app::Globals& g)
    : Form(g.svc.toolkit, "frmSplash"),
      Picture1(add<forms::PictureBox>("Picture1")),
      Etat(add<forms::Label>("Etat", 0, &Picture1)),
      Timer1(add<forms::Timer>("Timer1")),
      g_(g) {
  setBorderStyle(forms::BorderStyle::FixedSingle);
  setTitleBar(false);
  setClientSize({3330, 1170});
  setBackColor(forms::kWindowBackground);
  setShowInTaskbar(false);
  Picture1.move({0, 0, 3330, 1170});
  Picture1.setPicture(g.picture(g.AppDir + "ico" + app::Globals::separator() + "splash"));
  Etat.move({60, 660, 3195, 435});
  Etat.setFont({"Verdana", 8.25, true, false});
  Etat.setForeColor({128, 64, 0});
  Etat.setBackColor(forms::kWindowBackground);
  Etat.setCaption("Connections établies");
  Timer1.setInterval(1000);
  Timer1.setTimerEnabled(false);
  // The time starts once the window has been drawn.
  onPaint = [this] { Timer1.setTimerEnabled(true); };
  Timer1.onTick = [this] { Timer1_Timer(); };
}

void SplashForm::Timer1_Timer() {
  if (g_.SplashStatusOnly != 0 || g_.ResidentMode == "ores") {
    unload();
    return;
  }
  toolkit().endProcess(0);
}

void ShowStatus(app::Globals& g, const std::string& text, int intervalMs, int statusOnly) {
  SplashForm splash(g);
  splash.load();
  splash.Etat.setCaption(text);
  splash.Timer1.setInterval(intervalMs);
  g.SplashStatusOnly = static_cast<std::int16_t>(statusOnly);
  g.logStatus(text);
  bool onTop = true;
  SetTopMost(splash, onTop);
  splash.showModal();
}

}  // namespace quilbert::ui
