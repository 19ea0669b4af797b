// The start-up sequence, which is also the reload from disk.

#include "app/catalogue.h"
#include "app/config.h"
#include "app/locations.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"
#include "ui/main/connect_window.h"

namespace quilbert::ui {

void ConnectWindow::Form_Load() {
  auto& g = g_;
  Quitting = false;
  claimInstance();
  if (g.state.TrackEdits != EditTracking::Loading) BuildDriveRows();
  loadFiles();
  if (g.state.AutoRunState != AutoRunDue::No) {
    if (!g.state.automatic()) {
      g.state.AutoRunState = AutoRunDue::No;
    } else if (!g.config.ConfigCreated) {
      resident_.runAutomatic();
      hide();
    }
  }
  setUpWindow();
  g.toolkit.setMousePointer(forms::MousePointer::Arrow);
  resident_.addTrayIcon();
  rows_.showConnectionStates();
  // The rows follow the network's changes (the keeper hears them itself).
  rows_.followNetwork();
  g.toolkit.hideFromTaskList();
  resident_.initialWindowState();
  resident_.waitBehindIfWaiting();
}

void ConnectWindow::claimInstance() {
  if (instanceChecked_) return;
  instanceChecked_ = true;
  if (!g_.svc.process.claimSingleInstance()) g_.toolkit.endProcess(0);
  if (listenForLaterStarts) listenForLaterStarts();
}

void ConnectWindow::loadFiles() {
  auto& g = g_;
  app::locateFiles(g.places, g.svc.process, g.svc.registry, net::logonUserForFiles(g.svc.network));
  // Quoted: unquoted, a path with spaces ("C:\Program Files\...") would
  // start whatever "C:\Program.exe" someone put there, at every log-on.
  g.places.RunCommand = "\"" + g.places.AppDir + g.svc.process.exeFileName() + "\" /a";
  g.state.TrackEdits = EditTracking::Loading;
  g.config.read(g.places.configPath());
  // A first start speaks the system's language when it is English (French
  // is the files' own default); a configuration that exists keeps its own.
  if (g.config.ConfigCreated && g.svc.process.userLanguage() == "en") {
    g.config.writeSetting(app::Setting::LanguageFile, "langage_gb.txt");
  }
  g.texts.load(g.places.LangDir, g.config.LanguageFile);
  tellFileProblems();
}

void ConnectWindow::tellFileProblems() {
  auto& g = g_;
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
}

void ConnectWindow::setUpWindow() {
  auto& g = g_;
  AccessMode = g.state.CommandLine == "/qelvo" ? Access::Administrator : Access::Standard;
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
  static const char* kNames[] = {"windows", "sony", "beos"};
  for (int k = 1; k <= 3; ++k) {
    if (theme == kNames[0] || theme == kNames[1] || theme == kNames[2]) {
      menu("icone", k).setChecked(theme == kNames[k - 1]);
    }
  }
  ApplyIconTheme();
  ShowDriveTable();
  detectionlecteur();
  const bool french = g.config.LanguageFile == "langage_fr.txt";
  if (french || g.config.LanguageFile == "langage_gb.txt") {
    menu("langue", 1).setChecked(french);
    menu("langue", 0).setChecked(!french);
  }
  g.state.TrackEdits = EditTracking::On;
}

}  // namespace quilbert::ui
