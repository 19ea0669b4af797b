// While the program stays resident after the automatic run, the active
// letters are kept connected. At each network change and on waking from
// sleep, those that are not connected are connected again, silently; those
// the network does not reach yet are tried again at growing intervals for
// two minutes. A refused login is not tried again until its entry changes.
// A letter disconnected outright by someone else is left alone.
// The icon's tip tells how many letters are connected; a desktop
// notification tells a letter that failed for good, once until it comes back.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "net/connect_pass.h"
#include "platform/forms/form.h"

namespace quilbert::ui {

class LetterKeeper : private net::PassObserver {
 public:
  // `iconOwner`/`iconId`: the notification icon whose tip shows the count
  // after `title`.
  LetterKeeper(app::Globals& g, forms::Form& iconOwner, int iconId, std::string title);
  ~LetterKeeper() override;
  LetterKeeper(const LetterKeeper&) = delete;
  LetterKeeper& operator=(const LetterKeeper&) = delete;

  // Starts listening; `refused`: letters ("X:") whose login the automatic
  // run saw refused.
  void start(const std::vector<std::string>& refused);
  // The person disconnected the letters: none is kept until they connect.
  void setKeeping(bool keeping);
  // A network change or a wake-up: the letters not connected are tried.
  void check();

 private:
  void attempted(const net::PassItem& /*item*/, std::int32_t /*code*/) override {}
  void letterInUse(const net::PassItem& /*item*/) override {}
  void letterUnreachable(const net::PassItem& /*item*/, const std::string& /*why*/) override {}
  void letterFailed(const net::PassItem& /*item*/, const std::string& /*why*/) override {}
  void passwordsNeeded(const std::string& /*text*/) override {}
  void waitForNetwork(net::ConnectPass& /*pass*/) override {}
  void waitingChanged(const std::string& /*text*/) override { showCount(); }
  void finished(const net::PassSummary& summary) override;

  void retryDue();
  void passOver();
  void showCount();
  enum class LetterState { Connected, Missing, Dropped };
  LetterState stateOf(const net::PassItem& item);
  // What a refused login is remembered by: a changed entry is tried again.
  [[nodiscard]] static std::size_t entryKey(const net::PassItem& item);

  app::Globals& g_;
  forms::Form& iconOwner_;
  int iconId_;
  std::string title_;
  forms::Form clock_;  // never shown: holds the retry timer
  forms::Timer& retry_;
  bool keeping_ = true;
  std::unique_ptr<net::ConnectPass> pass_;
  std::map<std::string, std::size_t> refused_;  // letter -> entry refused
  std::set<std::string> told_;                  // letters whose failure was told
  std::set<std::string> seen_;                  // letters seen connected
};

}  // namespace quilbert::ui
