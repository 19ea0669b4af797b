// The notification-area icon, hiding and showing the window, and the
// resident setting.
#include "ui/main/resident.h"

#include <cmath>

#include "app/catalogue.h"
#include "platform/forms/toolkit.h"
#include "ui/common/dialog.h"

namespace quilbert::ui {

namespace {
constexpr int kTrayId = 1;
constexpr const char* kTrayTip = "QUILBERT 2.0";
// How long the end of a run that waited behind the icon keeps it, so that
// its notification is seen (Windows draws the balloon from the icon).
constexpr int kNotificationShownMs = 5000;
constexpr std::int32_t kLeftDoubleClick = 0x203;
constexpr std::int32_t kRightButtonUp = 0x205;
}  // namespace

ResidentBehaviour::ResidentBehaviour(MainControls& w, Program& g, DriveRows& rows,
                                     Settings& settings)
    : w_(w), g_(g), rows_(rows), settings_(settings) {}

ResidentBehaviour::~ResidentBehaviour() = default;

void ResidentBehaviour::addTrayIcon() {
  auto& tk = g_.toolkit;
  // Adding again while the icon exists changes nothing.
  tk.addTrayIcon(w_.form, kTrayId, kTrayTip, w_.Image1.picture());
  // After a resident automatic run, the letters are kept connected.
  if (keepLetters_ && !keeper_) {
    keeper_ = std::make_unique<LetterKeeper>(g_, w_.form, kTrayId, kTrayTip);
    keeper_->start(refusedAtStart_, toldAtStart_);
  }
}

bool ResidentBehaviour::runAutomatic() {
  autoRun_ = std::make_unique<AutoRun>(g_, w_.form, kTrayId, kTrayTip, rows_.lastCodes());
  autoRunning_ = true;
  if (autoRun_->start()) return true;
  autoRunOver(false);
  return false;
}

void ResidentBehaviour::autoRunOver(bool behind) {
  autoRunning_ = false;
  autoRunOutcome_ = autoRun_->outcome();
  refusedAtStart_ = autoRun_->refused();
  toldAtStart_ = autoRun_->told();
  // The program ends here unless it stays resident, or a later start asked
  // for its window meanwhile.
  if (!g_.config.resident() && !broughtBack_) {
    const auto end = [this, behind] {
      // No icon left behind by a process that ends.
      if (behind) g_.toolkit.removeTrayIcon(w_.form, kTrayId);
      g_.toolkit.endProcess(0);
    };
    if (!behind || toldAtStart_.empty()) return end();
    endAfterNotification_ = g_.scheduler.timer(end);
    endAfterNotification_->start(kNotificationShownMs);
    return;
  }
  keepLetters_ = g_.config.resident();
  if (!behind) return;  // the start-up goes on
  if (keepLetters_ && toldAtStart_.empty() && !broughtBack_) tellWhyNoTrayIcon(autoRunOutcome_);
  addTrayIcon();
}

void ResidentBehaviour::takeOverAutoRun() {
  if (!autoRun_ || !autoRun_->waiting()) return;
  autoRun_->drop();
  autoRunning_ = false;
  refusedAtStart_ = autoRun_->refused();
  keepLetters_ = g_.config.resident();
  addTrayIcon();
}

void ResidentBehaviour::initialWindowState() {
  auto& agrandir = w_.form.menu("menu_agrandir");
  agrandir.setCaption(g_.texts.msg(app::kMsgHideInTray));
  auto& resident = w_.form.menu("menu_resident");
  // An automatic run still waiting keeps the window hidden whatever the
  // setting; a later start asked for it meanwhile shows it.
  const bool waiting = autoRun_ && autoRun_->waiting();
  resident.setChecked(g_.config.resident());
  if (((g_.config.resident() && g_.state.AutoRunState == AutoRunDue::JustMade) || waiting) &&
      !broughtBack_) {
    if (!waiting) tellWhyNoTrayIcon(autoRunOutcome_);
    agrandir.setCaption(g_.texts.msg(app::kMsgShowWindow));
    w_.form.hide();
    if (!waiting) g_.state.AutoRunState = AutoRunDue::No;
  } else {
    if (broughtBack_) g_.state.AutoRunState = AutoRunDue::No;  // a reload must not run it again
    w_.form.show();
  }
}

void ResidentBehaviour::tellWhyNoTrayIcon(const std::string& outcome) {
  auto& tk = g_.toolkit;
  if (tk.hasNotificationArea()) return;
  const std::string why = g_.texts.msg(app::kMsgNoNotificationArea);
  // A resident automatic start has no window to show its outcome in.
  if (!outcome.empty()) tk.notify(kTrayTip, outcome + "\r\n" + (noTrayTold_ ? "" : why));
  if (noTrayTold_) return;
  noTrayTold_ = true;
  if (outcome.empty()) ShowDialog(g_, why, kDialogOk, kIconInformation, kTrayTip);
}

void ResidentBehaviour::menu_agrandir_Click() {
  g_.state.AutoRunState = AutoRunDue::No;
  auto& agrandir = w_.form.menu("menu_agrandir");
  if (agrandir.caption() != g_.texts.msg(app::kMsgHideInTray)) {
    // What happened while it was hidden shows at once.
    rows_.showConnectionStates();
    w_.form.show();
    agrandir.setCaption(g_.texts.msg(app::kMsgHideInTray));
  } else {
    if (w_.aux.hideHelp) w_.aux.hideHelp();
    tellWhyNoTrayIcon("");
    w_.form.hide();
    agrandir.setCaption(g_.texts.msg(app::kMsgShowWindow));
  }
}

bool ResidentBehaviour::modalBroughtForward() {
  // While a modal window waits for its answer, the main window must not
  // come back usable: a pass could start inside the one under way.
  forms::Form* modal = g_.toolkit.activeModal();
  if (modal == nullptr) return false;
  g_.toolkit.show(*modal);
  return true;
}

void ResidentBehaviour::Form_MouseMove(int /*button*/, int /*shift*/, float x, float /*y*/) {
  if (w_.form.menu("menu_agrandir").caption() == g_.texts.msg(app::kMsgHideInTray)) return;
  lastMouseMessage_ = static_cast<std::int32_t>(std::lround(x / g_.toolkit.twipsPerPixel()));
  if (mouseBusy_) return;
  if ((lastMouseMessage_ == kLeftDoubleClick || lastMouseMessage_ == kRightButtonUp) &&
      modalBroughtForward()) {
    return;
  }
  mouseBusy_ = true;
  if (lastMouseMessage_ == kLeftDoubleClick) {
    menu_agrandir_Click();
  } else if (lastMouseMessage_ == kRightButtonUp) {
    g_.toolkit.popupMenu(w_.form, w_.form.menu("menu"), &w_.form.menu("menu_agrandir"));
  }
  mouseBusy_ = false;
}

void ResidentBehaviour::bringBack() {
  if (autoRunning_) {
    // Shown at the latest when the pass ends, and the program then stays.
    broughtBack_ = true;
    g_.state.SplashStatusOnly = 1;  // the summary on screen now
    if (autoRun_) autoRun_->keepProgram();
  }
  if (modalBroughtForward()) return;
  if (w_.form.menu("menu_agrandir").caption() != g_.texts.msg(app::kMsgHideInTray) ||
      !w_.form.visible()) {
    menu_agrandir_Click();
    if (!w_.form.visible()) menu_agrandir_Click();
  } else {
    // Already shown: to the front, and out of the minimized state a window
    // manager may have put it in (it has no task-list entry to come back from).
    g_.toolkit.show(w_.form);
  }
}

void ResidentBehaviour::menu_resident_Click() {
  auto& item = w_.form.menu("menu_resident");
  const bool resident = !item.checked();
  if (w_.aux.unloadHelp) w_.aux.unloadHelp();
  if (w_.aux.closeReport) w_.aux.closeReport();
  // The tick and the mode change only once the file holds the new mode.
  if (!settings_.writeSetting(app::Setting::ResidentMode,
                              resident ? app::kResidentOn : app::kResidentOff))
    return;
  item.setChecked(resident);
}

void ResidentBehaviour::waitBehindIfWaiting() {
  if (autoRun_ && autoRun_->waiting()) autoRun_->waitBehind([this] { autoRunOver(true); });
}

void ResidentBehaviour::keepLetters(bool keeping) {
  if (keeper_) keeper_->setKeeping(keeping);
}

void ResidentBehaviour::connectionsChanged() {
  if (keeper_) keeper_->check();
  rows_.showConnectionStates();
}

void ResidentBehaviour::removeTrayIcon() {
  g_.toolkit.removeTrayIcon(w_.form, kTrayId);
}

}  // namespace quilbert::ui
