// The main window `connect` as its design draws it: 26 drive rows in a
// frame, the user box, seven command buttons, and the window's own
// variables. What the window's parts (rows, user box, commands, menus,
// settings, resident behaviour) share.
#pragma once

#include <functional>
#include <string>

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "ui/common/program.h"

namespace quilbert::app {
class Catalogue;
}

namespace quilbert::ui {

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

// The program's run mode as the window sees it: "/qelvo" is the administrator's.
enum class Access { Standard, Administrator };

class MainControls {
 public:
  // Adds the designed controls to `form`, in the order the window was drawn.
  MainControls(forms::Form& form, Program& g);
  MainControls(const MainControls&) = delete;
  MainControls& operator=(const MainControls&) = delete;

  forms::Form& form;
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
  forms::FlatButton& Parcourir(int i) const { return form.get<forms::FlatButton>("Parcourir", i); }
  forms::CheckBox& lettreactive(int i) const {
    return form.get<forms::CheckBox>("lettreactive", i);
  }
  forms::Label& lettrereseau(int i) const { return form.get<forms::Label>("lettrereseau", i); }
  // The sign beside the letter that tells its connection without colour.
  forms::Label& etatlettre(int i) const { return form.get<forms::Label>("etatlettre", i); }
  forms::TextBox& Cheminreseau(int i) const { return form.get<forms::TextBox>("Cheminreseau", i); }
  forms::FlatButton& Test(int i) const { return form.get<forms::FlatButton>("Test", i); }
  [[nodiscard]] int rowCount() const;
  // Row i's place in Tab's order (its check box, path, browse and test
  // buttons, the rows before the user box and the commands) and the names a
  // screen reader says, with the row's letter.
  void arrangeRow(int i) const;
  void nameRow(int i, const app::Catalogue& texts) const;

  // ---- window variables
  bool EntryModified = false;  // an edit not saved yet
  bool Quitting = false;       // on the way out: a save reloads nothing
  Access AccessMode = Access::Standard;
  AuxiliaryWindows aux;

  // An edit was made: Save and Cancel become available.
  void markChanged();

 private:
  void designFrames();
  void designButtons(forms::Toolkit& toolkit, const std::string& ico);
  void designFirstRow();
};

}  // namespace quilbert::ui
