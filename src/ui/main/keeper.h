// While the program stays resident after the automatic run, the active
// letters are kept connected (net::ResidentPolicy chooses which, and when).
// At each network change and on waking from sleep, those that are not
// connected are connected again, silently; those the network does not reach
// yet are tried again at growing intervals for two minutes. Between those
// events, the timed looks try each letter within the network's own bound,
// never while the person is in one of the program's windows.
// The icon's tip tells how many letters are connected, and how many of those
// have a server that no longer answers; a desktop
// notification tells a letter that failed for good, once until it comes back.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "net/connect_pass.h"
#include "net/resident_policy.h"
#include "platform/forms/form.h"
#include "ui/common/pass_driver.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class LetterKeeper : private net::PassObserver {
 public:
  // `iconOwner`/`iconId`: the notification icon whose tip shows the count
  // after `title`.
  LetterKeeper(Program& g, forms::Form& iconOwner, int iconId, std::string title);
  ~LetterKeeper() override;
  LetterKeeper(const LetterKeeper&) = delete;
  LetterKeeper& operator=(const LetterKeeper&) = delete;

  // Starts listening; `refused`: letters ("X:") whose login the automatic
  // run saw refused; `told`: those whose failure it has told already.
  void start(const std::vector<std::string>& refused, const std::vector<std::string>& told = {});
  // The person disconnected the letters: none is kept until they connect.
  void setKeeping(bool keeping);
  // A network change or a wake-up: the letters not connected are tried.
  void check();

 private:
  void waitingChanged(const std::string& /*text*/) override { showCount(); }
  void finished(const net::PassSummary& summary) override;

  // The timed retries between events.
  void scheduleLater();
  void laterDue();
  void passOver();
  void showCount();
  // Asks the connected letters' servers whether they still answer (each
  // server once, within the network's bound): at the timed looks only, as a
  // server that is gone may cost the whole bound.
  void probeServers();

  Program& g_;
  forms::Form& iconOwner_;
  int iconId_;
  std::string title_;
  // Which letters are tried, and when; kept when the person disconnects and
  // connects again.
  net::ResidentPolicy policy_;
  // The pass's retries; the network's changes reach it through check().
  PassDriver driver_;
  // A change met while the person is in a window, looked at after it.
  std::unique_ptr<forms::Scheduler::Timer> busyRetry_;
  std::unique_ptr<forms::Scheduler::Timer> later_;
  platform::NetworkEvents::Subscription heard_;
  bool keeping_ = true;
  std::unique_ptr<net::ConnectPass> pass_;
  std::set<std::string> told_;    // letters whose failure was told
  std::set<std::string> silent_;  // their server did not answer the last look
};

}  // namespace quilbert::ui
