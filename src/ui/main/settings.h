// The window's settings: language, icon theme, start with the session, the
// passwords' keeping, and the office's drive maps in and out.
#pragma once

#include <functional>
#include <string>

#include "app/config.h"
#include "ui/main/drive_rows.h"
#include "ui/main/main_menus.h"

namespace quilbert::ui {

class Settings {
 public:
  // `reload`: the window's load routine, after an import changed the rows.
  Settings(MainControls& w, Program& g, MainMenus& menus, DriveRows& rows,
           std::function<void()> reload)
      : w_(w), g_(g), menus_(menus), rows_(rows), reload_(std::move(reload)) {}

  // Writes one setting line; on failure says why, and nothing changes.
  bool writeSetting(app::Setting line, const std::string& value);

  void langue_Click(int k);
  void icone_Click(int k);
  void ApplyIconTheme();
  // The menu's tick from the registry; the command that changes it.
  void startupCheck();
  void demarrage_Click();
  void keyringCheck();
  void menu_keyring_Click();
  void menu_import_Click();
  void menu_export_Click();

 private:
  MainControls& w_;
  Program& g_;
  MainMenus& menus_;
  DriveRows& rows_;
  std::function<void()> reload_;
};

}  // namespace quilbert::ui
