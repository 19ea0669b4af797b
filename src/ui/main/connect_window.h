// The main window `connect`: 26 drive rows in a frame, the user box, seven
// command buttons and the menu bar. Its load routine Form_Load is the
// program's start-up and also its reload from disk.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class AutoRun;
class LetterKeeper;

// What the main window opens beside itself; each is optional so that the
// window works before those windows exist (and in tests that leave them out).
struct AuxiliaryWindows {
  std::function<void()> showReport;   // modal network report
  std::function<void()> closeReport;  // close it if open
  std::function<void()> showHelp;     // modeless help window
  std::function<void()> hideHelp;     // hide it if open
  std::function<void()> unloadHelp;   // unload it if loaded
  std::function<void()> showAbout;    // modal about box
};

class ConnectWindow : public forms::Form {
 public:
  explicit ConnectWindow(Program& g);
  ~ConnectWindow() override;

  // ---- controls outside the list
  forms::Frame& Frame1;
  forms::Frame& Frame2;
  forms::Label& Label3;
  forms::Label& Label1;
  forms::Label& Label2;
  forms::Label& Label5;
  forms::Label& Label6;
  forms::TextBox& nomuser;
  forms::TextBox& password;
  forms::FlatButton& modif;
  forms::FlatButton& effacer;
  forms::FlatButton& annulmodif;
  forms::FlatButton& connection;
  forms::FlatButton& disconnect;
  forms::FlatButton& bt_reduc;
  forms::FlatButton& Command1;
  forms::Image& Image1;
  forms::ImageList& ImageList3;

  // ---- row i (1 to 26) of the drive list
  forms::FlatButton& Parcourir(int i) const { return get<forms::FlatButton>("Parcourir", i); }
  forms::CheckBox& lettreactive(int i) const { return get<forms::CheckBox>("lettreactive", i); }
  forms::Label& lettrereseau(int i) const { return get<forms::Label>("lettrereseau", i); }
  forms::TextBox& Cheminreseau(int i) const { return get<forms::TextBox>("Cheminreseau", i); }
  forms::FlatButton& Test(int i) const { return get<forms::FlatButton>("Test", i); }
  [[nodiscard]] int rowCount() const;

  // ---- window variables
  std::string EntryModified = "n";
  std::string Quitting = "n";
  std::string AccessMode = "none";

  AuxiliaryWindows aux;
  // Runs once this instance holds the single-instance claim, before the
  // automatic run: a later start that comes meanwhile is not lost.
  std::function<void()> listenForLaterStarts;

  // ---- start-up and filling
  void Form_Load();
  void BuildDriveRows();
  void ApplyRunMode();
  void ShowDriveTable();
  void detectionlecteur();
  void language();
  void ApplyIconTheme();
  void startupCheck();

  // ---- handlers
  void Cheminreseau_Change(int i);
  void lettreactive_Click(int i);
  void credentials_Change();
  void effacer_Click();
  void annulmodif_Click();
  void Parcourir_Click(int i);
  void Test_Click(int i);
  void modif_Click();
  void connection_Click();
  void disconnect_Click();
  void demarrage_Click();
  void keyringCheck();
  void menu_keyring_Click();
  void langue_Click(int k);
  void icone_Click(int k);
  void menu_agrandir_Click();
  void menu_resident_Click();
  // The domain's drive maps (Drives.xml), in and out (drive_maps_menu.cpp).
  void menu_import_Click();
  void menu_export_Click();
  void Form_MouseMove(int button, int shift, float x, float y);
  void Form_QueryUnload(int& cancel, forms::UnloadReason reason);
  void fnquitter();
  // A later start of the program asks this one to come back: shown, even
  // from behind the notification icon (a desktop may have no notification area).
  void bringBack();
  // Each row's letter: connected to its path or not, and why not in its tip.
  void showConnectionStates();
  // The connections changed outside the window (the network, the command
  // line): the resident keeper looks at its letters, the rows are shown again.
  void connectionsChanged();

  // The folder browser and its callback (share level only).
  bool BrowseForShare(std::string& chosen, const std::string& hint);
  static void BrowseCallback(forms::FolderBrowserHandle& browser,
                             const std::optional<std::string>& selection, const std::string& hint);

  // True once another instance was found at start-up (this one then ends).
  [[nodiscard]] Program& globals() const { return g_; }

 private:
  // The designed controls, in the order the window was drawn.
  void designFrames();
  void designButtons(const std::string& ico);
  void designFirstRow();
  void wireEvents();
  void wireRow(int i);
  void buildMenus();
  void markChanged();
  void addTrayIcon();
  void initialWindowState();
  // Says why no notification icon shows, once: by a dialog, or with the
  // outcome of an automatic run through the desktop's notifications.
  void tellWhyNoTrayIcon(const std::string& outcome);
  // Brings the modal window open now to the front; false when there is none.
  bool modalBroughtForward();
  bool writeSetting(app::Setting line, const std::string& value);
  // The automatic run; true when it goes on waiting behind the icon.
  bool runAutomatic();
  // `behind`: it ended after the start-up, behind the icon.
  void autoRunOver(bool behind);
  // The person's Connect or Disconnect ends a waiting automatic run.
  void takeOverAutoRun();

  Program& g_;
  bool keepLetters_ = false;
  std::vector<std::string> refusedAtStart_;  // letters the automatic run saw refused
  std::unique_ptr<LetterKeeper> keeper_;
  platform::NetworkEvents::Subscription networkHeard_;
  std::unique_ptr<AutoRun> autoRun_;
  bool autoRunning_ = false;              // from the automatic run's start to its end
  bool broughtBack_ = false;              // a later start asked for the window meanwhile
  std::vector<std::string> toldAtStart_;  // letters the automatic run's notification told
  bool instanceChecked_ = false;
  bool unreadableTold_ = false;
  bool besideRefusedTold_ = false;  // the ignored configuration beside the program, said once
  bool noTrayTold_ = false;
  std::string autoRunOutcome_;  // the summary of the automatic run, once made
  bool mouseBusy_ = false;
  std::int32_t lastMouseMessage_ = 0;
  // Each row's last code from a pass of this window (0: none or connected).
  std::array<std::int32_t, 27> lastCodes_{};
};

}  // namespace quilbert::ui
