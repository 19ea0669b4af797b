// The main window's menu bar: its items as designed, their captions in the
// catalogue's language, and what the run mode enables. What an item does is
// wired by the window.
#pragma once

#include "ui/main/main_controls.h"

namespace quilbert::ui {

class MainMenus {
 public:
  MainMenus(MainControls& w, const app::Catalogue& texts) : w_(w), texts_(texts) {}

  // The items in their designed French captions; report, help and about
  // open the windows beside the main one.
  void build();
  // Every caption and tool tip of the window from the catalogue.
  void language();
  // The report and the office's drive maps are the administrator's.
  void applyRunMode();

 private:
  MainControls& w_;
  const app::Catalogue& texts_;
};

}  // namespace quilbert::ui
