// The resident behaviour: the notification-area icon, hiding and showing the
// window, the automatic run at log-on and the letters kept connected after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/scheduler.h"
#include "ui/main/auto_run.h"
#include "ui/main/drive_rows.h"
#include "ui/main/keeper.h"
#include "ui/main/settings.h"

namespace quilbert::ui {

class ResidentBehaviour {
 public:
  ResidentBehaviour(MainControls& w, Program& g, DriveRows& rows, Settings& settings);
  ~ResidentBehaviour();
  ResidentBehaviour(const ResidentBehaviour&) = delete;
  ResidentBehaviour& operator=(const ResidentBehaviour&) = delete;

  void addTrayIcon();
  // The automatic run; true when it goes on waiting behind the icon.
  bool runAutomatic();
  // The window's state after a load: shown, or hidden behind the icon.
  void initialWindowState();
  // A waiting automatic run goes on behind the icon once the load is done.
  void waitBehindIfWaiting();
  // The person's Connect or Disconnect ends a waiting automatic run.
  void takeOverAutoRun();
  // The letters kept connected: not while the person's own pass runs.
  void keepLetters(bool keeping);
  void menu_agrandir_Click();
  void menu_resident_Click();
  void Form_MouseMove(int button, int shift, float x, float y);
  // A later start of the program asks this one to come back: shown, even
  // from behind the notification icon (a desktop may have no notification area).
  void bringBack();
  // The connections changed outside the window (the network, the command
  // line): the kept letters are looked at, the rows shown again.
  void connectionsChanged();
  void removeTrayIcon();

 private:
  // `behind`: it ended after the start-up, behind the icon.
  void autoRunOver(bool behind);
  // Says why no notification icon shows, once: by a dialog, or with the
  // outcome of an automatic run through the desktop's notifications.
  void tellWhyNoTrayIcon(const std::string& outcome);
  // Brings the modal window open now to the front; false when there is none.
  bool modalBroughtForward();

  MainControls& w_;
  Program& g_;
  DriveRows& rows_;
  Settings& settings_;
  bool keepLetters_ = false;
  std::vector<std::string> refusedAtStart_;  // letters the automatic run saw refused
  std::unique_ptr<LetterKeeper> keeper_;
  std::unique_ptr<AutoRun> autoRun_;
  // Ends the process once the end's notification has had its time: the
  // balloon goes with the icon, and the message to the desktop's
  // notification service with the process.
  std::unique_ptr<forms::Scheduler::Timer> endAfterNotification_;
  bool autoRunning_ = false;              // from the automatic run's start to its end
  bool broughtBack_ = false;              // a later start asked for the window meanwhile
  std::vector<std::string> toldAtStart_;  // letters the automatic run's notification told
  bool noTrayTold_ = false;
  std::string autoRunOutcome_;  // the summary of the automatic run, once made
  bool mouseBusy_ = false;
  std::int32_t lastMouseMessage_ = 0;
};

}  // namespace quilbert::ui
