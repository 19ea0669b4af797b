// Which letters the resident program tries again, and when. The active
// letters not connected are tried, except a refused login (until its entry
// changes) and a letter disconnected outright by someone else; between the
// network's events they are looked at after 1, 2 and 5 minutes, then every
// 15 minutes.
#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "app/config.h"
#include "net/login_guard.h"
#include "net/pass_observer.h"
#include "platform/network.h"

namespace quilbert::net {

class ResidentPolicy {
 public:
  // A change met while a window waits for the person is looked at after it.
  static constexpr int kBusyRetryMs = 2000;

  ResidentPolicy(const app::Config& config, platform::Network& network)
      : config_(config), network_(network) {}

  // `refused`: letters ("X:") whose login the automatic run saw refused.
  void noteRefused(const std::vector<std::string>& refused);
  // Connected by hand: every letter is kept again.
  void keepAll() { seen_.clear(); }

  enum class LetterState { Connected, Missing, Dropped };
  LetterState stateOf(const PassItem& item);
  // The letters to try: active, not connected, login not refused.
  bool missingItems(std::array<PassItem, 27>& items);
  // The logins refused, for the program's life: a changed password is tried.
  LoginGuard& refusedLogins() { return refused_; }

  // The delay of the next timed look.
  [[nodiscard]] int laterDelayMs() const;
  // A timed look tried the missing letters.
  void triedLater() { ++laterStep_; }
  // A timed look found every letter connected: looked at now and then.
  void allFound();
  // Letters are missing again: true when the timed looks start over.
  bool startOver();

 private:
  const app::Config& config_;
  platform::Network& network_;
  LoginGuard refused_;
  std::set<std::string> seen_;  // letters seen connected
  std::size_t laterStep_ = 0;
  bool allThere_ = false;  // the last timed look found every letter connected
};

}  // namespace quilbert::net
