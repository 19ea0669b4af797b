// The help window `Form_aide`: a short page on what a workstation needs to
// reach the network and on the program's two ways of running, in the
// language loaded when the window opened. Modeless.
#pragma once

#include <memory>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class HelpForm : public forms::Form {
 public:
  explicit HelpForm(Program& g);

  // In the order they stand on the page, top to bottom (Label8 above Label7).
  forms::Label& Label1;
  forms::Label& Label2;
  forms::Label& Label3;
  forms::Label& Label4;
  forms::Label& Label5;
  forms::Label& Label6;
  forms::Label& Label8;
  forms::Label& Label7;
  forms::Label& Label9;

 private:
  void designPage();
  void Form_Load();

  Program& g_;
};

// Shows the help window beside the main window; it keeps its texts while it
// stays loaded, and the user closes it with its close box.
class HelpWindow {
 public:
  explicit HelpWindow(Program& g) : g_(g) {}
  // Loads the window if it is not loaded, and shows it.
  void show();
  void hideIfOpen();
  void unloadIfLoaded();
  [[nodiscard]] bool isLoaded() const { return form_ && form_->loaded(); }
  // The window while it is loaded, else null.
  [[nodiscard]] HelpForm* form() const { return isLoaded() ? form_.get() : nullptr; }

 private:
  Program& g_;
  std::unique_ptr<HelpForm> form_;
};

}  // namespace quilbert::ui
