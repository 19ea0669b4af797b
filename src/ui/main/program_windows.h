// The windows the main window opens beside itself, composed once and wired
// into its hooks.
#pragma once

#include "ui/common/about_box.h"
#include "ui/common/help_window.h"
#include "ui/common/program.h"
#include "ui/main/connect_window.h"
#include "ui/report/report_window.h"

namespace quilbert::ui {

class ProgramWindows {
 public:
  ProgramWindows(Program& g, ConnectWindow& main);
  // Takes the hooks back, so that the main window never calls into windows
  // that are gone.
  ~ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  ReportWindow report;
  AboutBox about;
  HelpWindow help;

 private:
  ConnectWindow& main_;
};

}  // namespace quilbert::ui
