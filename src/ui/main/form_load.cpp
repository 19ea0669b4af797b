// The start-up sequence, which is also the reload from disk.

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "net/connect_pass.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/main/auto_run.h"
#include "ui/main/connect_window.h"
#include "ui/main/row_states.h"

namespace quilbert::ui {

void ConnectWindow::Form_Load() {
  auto& g = g_;
  auto& tk = g.svc.toolkit;
  Quitting = "n";

  // Single instance: another one comes to the front and this one ends.
  if (!instanceChecked_) {
    instanceChecked_ = true;
    if (!g.svc.process.claimSingleInstance()) tk.endProcess(0);
    if (listenForLaterStarts) listenForLaterStarts();
  }

  if (g.TrackEdits != "n") BuildDriveRows();

  app::locateFiles(g, net::logonUserForFiles(g));
  // Quoted: unquoted, a path with spaces ("C:\Program Files\...") would
  // start whatever "C:\Program.exe" someone put there, at every log-on.
  g.RunCommand = "\"" + g.AppDir + g.svc.process.exeFileName() + "\" /a";

  g.TrackEdits = "n";
  g.ConfigCreated = false;
  app::readConfiguration(g);
  app::LoadCatalogue(g);
  if (g.ConfigUnreadable && !unreadableTold_) {
    // Said once: every refused write says it again.
    unreadableTold_ = true;
    ShowDialog(g,
               g.msg(app::kMsgConfigUnreadable) + "\r\n(" + g.SettingsDir + g.ConfigFileName + ")",
               kDialogOk, kIconWarning, g.msg(app::kMsgSaveErrorTitle));
  }
  if (!g.BesideProgramRefused.empty() && !besideRefusedTold_) {
    besideRefusedTold_ = true;
    ShowDialog(g, g.msg(app::kMsgBesideProgramRefused, {g.BesideProgramRefused}), kDialogOk,
               kIconWarning, g.msg(app::kMsgSaveErrorTitle));
  }

  if (g.AutoRunState != "n") {
    if (g.CommandLine != "/a") {
      g.AutoRunState = "n";
    } else if (!g.ConfigCreated) {
      runAutomatic();
      hide();
    }
  }

  // Interactive set-up.
  AccessMode = g.CommandLine == "/qelvo" ? "qelvo" : "none";
  ApplyRunMode();
  g.TrackEdits = "n";
  language();
  startupCheck();
  keyringCheck();
  for (int i = 1; i <= app::kDriveCount; ++i) {
    Parcourir(i).setPicture(ImageList3.image(3));
    Parcourir(i).refresh();
  }
  const std::string& theme = g.IconTheme;
  for (int k = 1; k <= 3; ++k) {
    static const char* kNames[] = {"windows", "sony", "beos"};
    if (theme == kNames[0] || theme == kNames[1] || theme == kNames[2]) {
      menu("icone", k).setChecked(theme == kNames[k - 1]);
    }
  }
  ApplyIconTheme();
  app::takeApartDriveLines(g);
  ShowDriveTable();
  detectionlecteur();
  if (g.LanguageFile == "langage_fr.txt") {
    menu("langue", 1).setChecked(true);
    menu("langue", 0).setChecked(false);
  } else if (g.LanguageFile == "langage_gb.txt") {
    menu("langue", 0).setChecked(true);
    menu("langue", 1).setChecked(false);
  }
  g.TrackEdits = "o";
  tk.setMousePointer(forms::MousePointer::Arrow);
  addTrayIcon();
  showConnectionStates();
  // The rows follow the network's changes (the keeper hears them itself).
  if (g.svc.networkEvents != nullptr) {
    networkHeard_ =
        g.svc.networkEvents->subscribe([this](platform::NetworkEvent) { showConnectionStates(); });
  }
  tk.hideFromTaskList();
  initialWindowState();
  if (autoRun_ && autoRun_->waiting()) autoRun_->waitBehind([this] { autoRunOver(true); });
}

}  // namespace quilbert::ui
