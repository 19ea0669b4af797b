// The connect pass shared by the Connect command and the automatic run, and
// the disconnect pass's first step.
//
// A pass is a small state machine on the window thread: it tries every active
// letter once; in the automatic run, letters whose network or server cannot
// be reached are set aside and tried again at each network change and at
// growing intervals, for two minutes at most; then it ends with the summary.
// It never sleeps: whoever runs it delivers its events (PassObserver).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/services.h"
#include "net/login_guard.h"
#include "net/pass_observer.h"

namespace quilbert::net {

// The delays between retries of the letters set aside, the last one repeated
// until the wait's limit; with the longest wait, two minutes, they add up to it.
inline constexpr std::array<int, 5> kRetryDelaysMs = {2000, 4000, 8000, 16000, 30000};

// Codes that mean the network or the server is not there yet, or the
// keyring holding the password is not unlocked yet.
[[nodiscard]] bool waitsForNetwork(std::int32_t code);

class ConnectPass {
 public:
  // The letters the network does not reach yet are set aside for at most
  // `waitLimitMs` (the automatic run); with 0 they fail at once. `guard`: the
  // refused logins to keep beyond the pass (null: the pass's own).
  ConnectPass(const app::Services& svc, const app::Catalogue& texts,
              const std::array<PassItem, 27>& items, PassKind kind, PassObserver& observer,
              int waitLimitMs, LoginGuard* guard = nullptr);

  // The whole pass: every active letter once, the wait, the summary.
  PassResult run();
  // Or in steps, for a caller that waits by itself: every active letter once
  // (true when letters wait for the network: deliver the events below until
  // waiting() is false), then the summary.
  bool start();
  void finish();

  // Events while waiting. A network change retries the letters set aside
  // now; so does the end of each delay; the last delay ends the wait.
  void networkChanged();
  void retryDue();
  // The person does not want to wait any longer.
  void stopWaiting();

  [[nodiscard]] bool waiting() const { return state_ == State::Waiting; }
  // How long until retryDue is due.
  [[nodiscard]] int nextRetryMs() const;
  // Entry 151 and the letters set aside.
  [[nodiscard]] std::string waitingText() const;
  [[nodiscard]] const PassResult& result() const { return result_; }

 private:
  enum class State { Idle, Waiting, Done };
  void attempt(std::size_t i, bool firstTry);
  [[nodiscard]] bool connectedToItsShare(const PassItem& item) const;
  void retrySetAside();
  void prepareFollowers(std::size_t first);

  const app::Services& svc_;
  const app::Catalogue& texts_;
  std::array<PassItem, 27> items_;
  PassKind kind_;
  PassObserver& observer_;
  int waitLimitMs_;
  int waitedMs_ = 0;
  State state_ = State::Idle;
  PassResult result_;
  std::array<std::int32_t, 27> codes_{};
  std::vector<std::size_t> setAside_;
  std::size_t retries_ = 0;
  // Logins a server refused: no letter offers them again, to any server.
  LoginGuard ownGuard_;
  LoginGuard& guard_;
  std::vector<std::size_t> skipped_;
  // Letters the network was told it may start connecting ahead.
  std::array<bool, 27> prepared_{};
};

// Cancels every letter A to Z, the results ignored.
void cancelAllLetters(const app::Services& svc, const app::Catalogue& texts);

// Connects the active items in order, reporting as the kind requires: 85 in a
// dialog, 67 and 1231 in a two-second status, other failures in a dialog
// (interactive) or not at all (automatic); ends with the summary.
PassResult connectItems(const app::Services& svc, const app::Catalogue& texts,
                        const std::array<PassItem, 27>& items, PassKind kind,
                        PassObserver& observer);

// The drive table's active entries as a pass's items, with their own
// credentials.
std::array<PassItem, 27> automaticItems(const app::Config& config);

// How many letters are connected: entry 60, " : ", `separator`, then
// `connected` "/" `of`.
std::string connectedText(const app::Catalogue& texts, int connected, int of,
                          std::string_view separator = {});

// The summary text of a connect pass.
std::string summaryText(const app::Catalogue& texts, const PassResult& r);

}  // namespace quilbert::net
