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
  auto& tk = g.toolkit;
  Quitting = "n";

  // Single instance: another one comes to the front and this one ends.
  if (!instanceChecked_) {
    instanceChecked_ = true;
    if (!g.svc.process.claimSingleInstance()) tk.endProcess(0);
    if (listenForLaterStarts) listenForLaterStarts();
  }

  if (g.state.TrackEdits != EditTracking::Loading) BuildDriveRows();

  app::locateFiles(g.places, g.svc.process, g.svc.registry, net::logonUserForFiles(g.svc.network));
  // Quoted: unquoted, a path with spaces ("C:\Program Files\...") would
  // start whatever "C:\Program.exe" someone put there, at every log-on.
  g.places.RunCommand = "\"" + g.places.AppDir + g.svc.process.exeFileName() + "\" /a";

  g.state.TrackEdits = EditTracking::Loading;
  g.config.read(g.places.configPath());
  g.texts.load(g.places.LangDir, g.config.LanguageFile);
  if (g.config.ConfigUnreadable && !unreadableTold_) {
    // Said once: every refused write says it again.
    unreadableTold_ = true;
    ShowDialog(g, g.texts.msg(app::kMsgConfigUnreadable) + "\r\n(" + g.places.configPath() + ")",
               kDialogOk, kIconWarning, g.texts.msg(app::kMsgSaveErrorTitle));
  }
  if (!g.places.BesideProgramRefused.empty() && !besideRefusedTold_) {
    besideRefusedTold_ = true;
    ShowDialog(g, g.texts.msg(app::kMsgBesideProgramRefused, {g.places.BesideProgramRefused}),
               kDialogOk, kIconWarning, g.texts.msg(app::kMsgSaveErrorTitle));
  }

  if (g.state.AutoRunState != AutoRunDue::No) {
    if (g.state.CommandLine != "/a") {
      g.state.AutoRunState = AutoRunDue::No;
    } else if (!g.config.ConfigCreated) {
      runAutomatic();
      hide();
    }
  }

  // Interactive set-up.
  AccessMode = g.state.CommandLine == "/qelvo" ? "qelvo" : "none";
  ApplyRunMode();
  g.state.TrackEdits = EditTracking::Loading;
  language();
  startupCheck();
  keyringCheck();
  for (int i = 1; i <= app::kDriveCount; ++i) {
    Parcourir(i).setPicture(ImageList3.image(3));
    Parcourir(i).refresh();
  }
  const std::string& theme = g.config.IconTheme;
  for (int k = 1; k <= 3; ++k) {
    static const char* kNames[] = {"windows", "sony", "beos"};
    if (theme == kNames[0] || theme == kNames[1] || theme == kNames[2]) {
      menu("icone", k).setChecked(theme == kNames[k - 1]);
    }
  }
  ApplyIconTheme();
  ShowDriveTable();
  detectionlecteur();
  if (g.config.LanguageFile == "langage_fr.txt") {
    menu("langue", 1).setChecked(true);
    menu("langue", 0).setChecked(false);
  } else if (g.config.LanguageFile == "langage_gb.txt") {
    menu("langue", 0).setChecked(true);
    menu("langue", 1).setChecked(false);
  }
  g.state.TrackEdits = EditTracking::On;
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
