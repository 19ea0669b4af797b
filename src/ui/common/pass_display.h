// What a connect pass tells the person: dialogs, the status window, and the
// status lines of the automatic mode on standard output.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "net/connect_pass.h"
#include "ui/common/program.h"

namespace quilbert::ui {

class SplashForm;

// The longest the waiting status window stands in the way.
inline constexpr int kWaitShownMs = 5000;

class PassDisplay : public net::PassObserver {
 public:
  PassDisplay(Program& g, net::PassKind kind) : g_(g), kind_(kind) {}

  void letterInUse(const net::PassItem& item) override;
  void letterUnreachable(const net::PassItem& item, const std::string& sentence) override;
  void letterFailed(const net::PassItem& item, const std::string& sentence) override;
  void passwordsNeeded(const std::string& text) override;
  // The status window says, on top, what is awaited, how many letters are
  // connected already, the time left and that a click on it ends the wait
  // (so does closing it). It stays at most kWaitShownMs: then it steps back
  // and returns with the pass still waiting (steppedBack()), for the caller
  // to wait without a window in the way.
  void waitForNetwork(net::ConnectPass& pass) override;
  void waitingChanged(const std::string& text) override;
  void finished(const net::PassSummary& summary) override;

  [[nodiscard]] bool steppedBack() const { return steppedBack_; }
  // The automatic run's summary no longer ends the program.
  void keepProgram() { keepProgram_ = true; }
  // The lines below the waiting text: letters connected, time left, the hint.
  [[nodiscard]] std::vector<std::string> waitingDetails(const net::ConnectPass& pass,
                                                        int leftMs) const;

  // The letters ("X:") whose login the pass saw refused.
  [[nodiscard]] const std::vector<std::string>& refused() const { return refused_; }

  // Lines telling every letter still not connected, with its sentence.
  static std::vector<std::string> failureLines(const net::PassSummary& summary);

 private:
  Program& g_;
  net::PassKind kind_;
  std::string passwordsText_;
  std::vector<std::string> refused_;
  SplashForm* waitingWindow_ = nullptr;
  net::ConnectPass* waitingPass_ = nullptr;
  int leftMs_ = 0;
  bool steppedBack_ = false;
  bool keepProgram_ = false;
};

// The windows' display of a pass, keeping each letter's last code (index 1
// to 26) for the rows' tips.
class CodeRecorder final : public PassDisplay {
 public:
  CodeRecorder(Program& g, net::PassKind kind, std::array<std::int32_t, 27>& codes)
      : PassDisplay(g, kind), codes_(codes) {}
  void attempted(const net::PassItem& item, std::int32_t code) override;
  void finished(const net::PassSummary& summary) override;

 private:
  void keep(const net::PassItem& item, std::int32_t code);
  std::array<std::int32_t, 27>& codes_;
};

}  // namespace quilbert::ui
