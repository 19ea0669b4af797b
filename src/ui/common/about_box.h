// The about box `apropos`: the program's artwork, with a language picture
// rising slowly inside the middle panel until its end is in view. Any click
// closes it.
#pragma once

#include <memory>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class AboutForm : public forms::Form {
 public:
  explicit AboutForm(Program& g);

  forms::PictureBox& Picture1;  // top banner
  forms::PictureBox& Picture2;  // middle panel, the viewport of Picture4
  forms::PictureBox& Picture4;  // language picture, inside Picture2
  forms::PictureBox& Picture3;  // bottom strip
  forms::Timer& Timer1;

  // Left edge Picture4 keeps while it rises, and the top below which it stops.
  [[nodiscard]] int startLeft() const { return startLeft_; }
  [[nodiscard]] int scrollLimit() const { return scrollLimit_; }

 private:
  void Form_Load();
  void Timer1_Timer();

  Program& g_;
  int startLeft_ = 0;
  int scrollLimit_ = 0;
};

// Opens the about box modally, afresh each time.
class AboutBox {
 public:
  explicit AboutBox(Program& g) : g_(g) {}
  // Returns once the box has been clicked away.
  void show();

 private:
  Program& g_;
};

}  // namespace quilbert::ui
