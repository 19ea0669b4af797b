// What a connect pass tells the person: dialogs, the status window, and the
// status lines of the automatic mode on standard output.
#pragma once

#include <string>
#include <vector>

#include "app/globals.h"
#include "net/connect_pass.h"

namespace quilbert::ui {

class SplashForm;

class PassDisplay : public net::PassObserver {
 public:
  PassDisplay(app::Globals& g, net::PassKind kind) : g_(g), kind_(kind) {}

  void attempted(const net::PassItem& item, std::int32_t code) override;
  void letterInUse(const net::PassItem& item) override;
  void letterUnreachable(const net::PassItem& item, const std::string& sentence) override;
  void letterFailed(const net::PassItem& item, const std::string& sentence) override;
  void passwordsNeeded(const std::string& text) override;
  // The status window says what is awaited until the pass stops waiting; a
  // click on it, or closing it, ends the wait.
  void waitForNetwork(net::ConnectPass& pass) override;
  void waitingChanged(const std::string& text) override;
  void finished(const net::PassSummary& summary) override;

  // The letters ("X:") whose login the pass saw refused.
  [[nodiscard]] const std::vector<std::string>& refused() const { return refused_; }

  // Lines telling every letter still not connected, with its sentence.
  static std::vector<std::string> failureLines(const net::PassSummary& summary);

 private:
  app::Globals& g_;
  net::PassKind kind_;
  std::string passwordsText_;
  std::vector<std::string> refused_;
  SplashForm* waitingWindow_ = nullptr;
};

}  // namespace quilbert::ui
