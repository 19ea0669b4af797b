#include "ui/main/auto_run.h"

#include <utility>

#include "app/catalogue.h"
#include "platform/forms/toolkit.h"

namespace quilbert::ui {

AutoRun::AutoRun(Program& g, forms::Form& iconOwner, int iconId, std::string title,
                 std::array<std::int32_t, 27>& codes)
    : g_(g),
      iconOwner_(iconOwner),
      iconId_(iconId),
      title_(std::move(title)),
      display_(g, net::PassKind::Automatic, codes),
      driver_(g.scheduler, g.svc.networkEvents) {}

AutoRun::~AutoRun() = default;

bool AutoRun::start() {
  net::cancelAllLetters(g_.svc, g_.texts);
  net::PassObserver& observer = *this;
  pass_ = std::make_unique<net::ConnectPass>(g_.svc, g_.texts, net::automaticItems(g_.config),
                                             net::PassKind::Automatic, observer,
                                             g_.state.NetworkWaitMs);
  if (pass_->start()) {
    display_.waitForNetwork(*pass_);
    if (display_.steppedBack() && pass_->waiting()) {
      behind_ = true;
      // Made: a reload of the window meanwhile must not start it again.
      g_.state.AutoRunState = AutoRunDue::No;
      return true;
    }
    pass_->stopWaiting();
  }
  const std::unique_ptr<net::ConnectPass> pass = std::move(pass_);
  pass->finish();
  return false;
}

void AutoRun::waitBehind(std::function<void()> over) {
  if (!pass_ || over_) return;
  over_ = std::move(over);
  driver_.drive(*pass_, [this] { this->over(); });
  auto& tk = g_.toolkit;
  if (tk.hasNotificationArea()) {
    tk.setTrayTip(iconOwner_, iconId_, title_ + " - " + pass_->waitingText());
    return;
  }
  window_ = std::make_unique<SplashForm>(g_);
  window_->load();
  window_->setText(pass_->waitingText(), {g_.texts.msg(app::kMsgClickStopsWaiting)});
  window_->onTimeUp = [this] { window_->Timer1.setTimerEnabled(false); };
  window_->onDismiss = [this] {
    // Ended from the driver's next tick: the window must outlive its own handler.
    window_->hide();
    driver_.stopSoon();
  };
  window_->showBehind();
}

void AutoRun::drop() {
  driver_.stop();
  window_.reset();
  pass_.reset();
  behind_ = false;
  g_.state.AutoRunState = AutoRunDue::No;
  g_.toolkit.setTrayTip(iconOwner_, iconId_, title_);
}

void AutoRun::over() {
  window_.reset();
  g_.toolkit.setTrayTip(iconOwner_, iconId_, title_);
  const std::unique_ptr<net::ConnectPass> pass = std::move(pass_);
  pass->finish();
  auto over = std::move(over_);
  if (over) over();
}

void AutoRun::passwordsNeeded(const std::string& text) {
  passwordsText_ = text;
  display_.passwordsNeeded(text);
}

void AutoRun::waitingChanged(const std::string& text) {
  if (!behind_) {
    display_.waitingChanged(text);
    return;
  }
  g_.svc.logStatus(text);
  if (window_) {
    window_->setText(text, {g_.texts.msg(app::kMsgClickStopsWaiting)});
  } else {
    g_.toolkit.setTrayTip(iconOwner_, iconId_, title_ + " - " + text);
  }
}

void AutoRun::finished(const net::PassSummary& summary) {
  g_.state.AutoRunState = AutoRunDue::JustMade;
  outcome_ = summary.text;
  for (const auto& f : summary.notConnected) {
    if (net::loginRefused(f.code)) refused_.push_back(f.item->localName);
  }
  if (!behind_) {
    display_.finished(summary);
    return;
  }
  g_.state.AutoRunState = AutoRunDue::No;
  auto lines = PassDisplay::failureLines(summary);
  if (!passwordsText_.empty()) lines.push_back(passwordsText_);
  g_.svc.logStatus(summary.text);
  std::string text = summary.text;
  for (const auto& line : lines) {
    g_.svc.logStatus(line);
    text += "\r\n" + line;
  }
  if (summary.notConnected.empty()) return;
  g_.toolkit.notify(title_, text);
  for (const auto& f : summary.notConnected) told_.push_back(f.item->localName);
}

}  // namespace quilbert::ui
