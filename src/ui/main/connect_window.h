// The main window `connect`: the drive rows, the user box, the command
// buttons and the menu bar, each a part of its own; the window owns them and
// keeps the handlers' names as its entry points. Its load routine Form_Load
// is the program's start-up and also its reload from disk.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/forms/form.h"
#include "ui/main/commands.h"
#include "ui/main/drive_rows.h"
#include "ui/main/main_controls.h"
#include "ui/main/main_menus.h"
#include "ui/main/resident.h"
#include "ui/main/settings.h"
#include "ui/main/user_box.h"

namespace quilbert::ui {

class ConnectWindow : public forms::Form, public MainControls {
 public:
  explicit ConnectWindow(Program& g);
  ~ConnectWindow() override;

  // Runs once this instance holds the single-instance claim, before the
  // automatic run: a later start that comes meanwhile is not lost.
  std::function<void()> listenForLaterStarts;

  // ---- start-up and filling
  void Form_Load();
  void BuildDriveRows() { rows_.BuildDriveRows(); }
  void ApplyRunMode();
  void ShowDriveTable();
  void detectionlecteur() { rows_.detectionlecteur(); }
  void language() { menus_.language(); }
  void ApplyIconTheme() { settings_.ApplyIconTheme(); }
  void startupCheck() { settings_.startupCheck(); }

  // ---- the rows and the user box
  void Cheminreseau_Change(int i) { rows_.Cheminreseau_Change(i); }
  void lettreactive_Click(int i) { rows_.lettreactive_Click(i); }
  void Parcourir_Click(int i) { rows_.Parcourir_Click(i); }
  void credentials_Change() { user_.credentials_Change(); }
  bool BrowseForShare(std::string& chosen, const std::string& hint) {
    return rows_.BrowseForShare(chosen, hint);
  }
  static void BrowseCallback(forms::FolderBrowserHandle& browser,
                             const std::optional<std::string>& selection, const std::string& hint) {
    DriveRows::BrowseCallback(browser, selection, hint);
  }
  void showConnectionStates() { rows_.showConnectionStates(); }

  // ---- the commands
  void Test_Click(int i) { commands_.Test_Click(i); }
  void modif_Click() { commands_.modif_Click(); }
  void effacer_Click() { commands_.effacer_Click(); }
  void annulmodif_Click() { commands_.annulmodif_Click(); }
  void connection_Click() { commands_.connection_Click(); }
  void disconnect_Click() { commands_.disconnect_Click(); }
  void fnquitter() { commands_.fnquitter(); }
  void Form_QueryUnload(int& cancel, forms::UnloadReason reason) {
    commands_.Form_QueryUnload(cancel, reason);
  }

  // ---- the settings
  void demarrage_Click() { settings_.demarrage_Click(); }
  void keyringCheck() { settings_.keyringCheck(); }
  void menu_keyring_Click() { settings_.menu_keyring_Click(); }
  void langue_Click(int k) { settings_.langue_Click(k); }
  void icone_Click(int k) { settings_.icone_Click(k); }
  void menu_import_Click() { settings_.menu_import_Click(); }
  void menu_export_Click() { settings_.menu_export_Click(); }

  // ---- the resident behaviour
  void menu_agrandir_Click() { resident_.menu_agrandir_Click(); }
  void menu_resident_Click() { resident_.menu_resident_Click(); }
  void Form_MouseMove(int button, int shift, float x, float y) {
    resident_.Form_MouseMove(button, shift, x, y);
  }
  void bringBack() { resident_.bringBack(); }
  void connectionsChanged() { resident_.connectionsChanged(); }

 private:
  void wireEvents();
  void wireMenus();
  // Single instance: another one comes to the front and this one ends.
  void claimInstance();
  // The folders, the configuration and the catalogue, and what is wrong with them.
  void loadFiles();
  void tellFileProblems();
  // The captions, ticks, icons and rows after a load.
  void setUpWindow();

  Program& g_;
  DriveRows rows_;
  UserBox user_;
  MainMenus menus_;
  Settings settings_;
  ResidentBehaviour resident_;
  Commands commands_;
  bool instanceChecked_ = false;
  bool unreadableTold_ = false;
  bool besideRefusedTold_ = false;  // the ignored configuration beside the program, said once
};

}  // namespace quilbert::ui
