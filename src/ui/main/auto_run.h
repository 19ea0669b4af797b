// The automatic run at log-on. The letters the network does not reach yet
// are awaited a few seconds in the status window, then without a window in
// the way: behind the notification icon, whose tip says what is awaited, or,
// on a desktop without a notification area, in a status window that does not
// stay on top. The outcome of a wait that ended there is told once in a
// desktop notification.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/connect_pass.h"
#include "platform/forms/form.h"
#include "ui/common/pass_display.h"
#include "ui/common/pass_driver.h"
#include "ui/common/program.h"
#include "ui/common/splash.h"

namespace quilbert::ui {

class AutoRun : private net::PassObserver {
 public:
  // `iconOwner`/`iconId`: the notification icon whose tip shows the wait
  // after `title`. Each letter's last code is kept in `codes` for the rows.
  AutoRun(Program& g, forms::Form& iconOwner, int iconId, std::string title,
          std::array<std::int32_t, 27>& codes);
  ~AutoRun() override;
  AutoRun(const AutoRun&) = delete;
  AutoRun& operator=(const AutoRun&) = delete;

  // Cancels every letter and connects the active ones. False once the pass
  // is over, its summary shown; true when letters are still awaited: call
  // waitBehind() once the icon is there.
  bool start();
  // Goes on waiting without a window in the way; `over` runs once the pass
  // has ended and told its outcome.
  void waitBehind(std::function<void()> over);
  // The person took over: the pass ends here, its letters not told.
  void drop();
  // A later start asked for the window: the summary does not end the program.
  void keepProgram() { display_.keepProgram(); }

  [[nodiscard]] bool waiting() const { return pass_ != nullptr; }
  [[nodiscard]] const std::string& outcome() const { return outcome_; }
  [[nodiscard]] const std::vector<std::string>& refused() const { return refused_; }
  // Letters ("X:") whose failure the notification told.
  [[nodiscard]] const std::vector<std::string>& told() const { return told_; }

 private:
  void attempted(const net::PassItem& item, std::int32_t code) override {
    display_.attempted(item, code);
  }
  void letterInUse(const net::PassItem& item) override { display_.letterInUse(item); }
  void letterUnreachable(const net::PassItem& item, const std::string& why) override {
    display_.letterUnreachable(item, why);
  }
  void letterFailed(const net::PassItem& item, const std::string& why) override {
    display_.letterFailed(item, why);
  }
  void passwordsNeeded(const std::string& text) override;
  void waitForNetwork(net::ConnectPass& pass) override { display_.waitForNetwork(pass); }
  void waitingChanged(const std::string& text) override;
  void finished(const net::PassSummary& summary) override;

  void over();

  Program& g_;
  forms::Form& iconOwner_;
  int iconId_;
  std::string title_;
  CodeRecorder display_;
  std::unique_ptr<net::ConnectPass> pass_;
  bool behind_ = false;
  PassDriver driver_;
  std::unique_ptr<SplashForm> window_;  // without a notification area
  std::function<void()> over_;
  std::string passwordsText_;
  std::string outcome_;
  std::vector<std::string> refused_;
  std::vector<std::string> told_;
};

}  // namespace quilbert::ui
