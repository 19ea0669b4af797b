// The status window: a small picture window that shows a status text for a
// set time, then closes itself or, after an automatic start that is not to
// stay resident, ends the program.
#pragma once

#include <string>

#include "app/globals.h"
#include "platform/forms/form.h"

namespace quilbert::ui {

class SplashForm : public forms::Form {
 public:
  explicit SplashForm(app::Globals& g);

  forms::PictureBox& Picture1;
  forms::Label& Etat;
  forms::Timer& Timer1;

 private:
  void Timer1_Timer();
  app::Globals& g_;
};

// What a caller does: fresh window, text, interval, SplashStatusOnly, on top,
// shown modally. Returns when the window has closed itself.
void ShowStatus(app::Globals& g, const std::string& text, int intervalMs, int statusOnly);

}  // namespace quilbert::ui
