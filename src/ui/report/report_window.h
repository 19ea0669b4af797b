// The report window `Form1`: the network user, the drive letters connected
// to network shares and every network resource, built once per opening by a
// one-shot timer so that the window is on screen before the slow work starts.
#pragma once

#include <memory>
#include <string>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class ReportForm : public forms::Form {
 public:
  explicit ReportForm(Program& g);

  forms::Label& Label1;
  forms::Label& Label2;
  forms::Label& Label3;
  forms::Label& Label4;
  forms::ListBox& text2;  // network resources
  forms::ListBox& text1;  // connected network drives
  forms::PushButton& Command1;
  forms::Timer& Timer1;

  // From load until the report has been built.
  bool firstpass = false;

 private:
  void Form_Load();
  void Timer1_Timer();
  void showUserName();
  void listNetworkDrives();
  std::string credentialsOf(char letter);

  Program& g_;
};

// Opens the report modally, a fresh window each time, and closes it on
// request. Whoever composes the program owns one.
class ReportWindow {
 public:
  explicit ReportWindow(Program& g) : g_(g) {}
  // Returns once the user has closed the window.
  void show();
  void closeIfOpen();
  [[nodiscard]] bool isOpen() const { return form_ && form_->loaded(); }

 private:
  Program& g_;
  std::unique_ptr<ReportForm> form_;
};

}  // namespace quilbert::ui
