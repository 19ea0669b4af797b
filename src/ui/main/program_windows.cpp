#include "ui/main/program_windows.h"

namespace quilbert::ui {

ProgramWindows::ProgramWindows(Program& g, ConnectWindow& main)
    : report(g), about(g), help(g), main_(main) {
  main.aux.showReport = [this] { report.show(); };
  main.aux.closeReport = [this] { report.closeIfOpen(); };
  main.aux.showHelp = [this] { help.show(); };
  main.aux.hideHelp = [this] { help.hideIfOpen(); };
  main.aux.unloadHelp = [this] { help.unloadIfLoaded(); };
  main.aux.showAbout = [this] { about.show(); };
}

ProgramWindows::~ProgramWindows() {
  main_.aux = {};
}

}  // namespace quilbert::ui
