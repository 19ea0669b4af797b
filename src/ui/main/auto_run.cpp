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
      clock_(g.toolkit, "frmAutoRun"),
      retry_(clock_.add<forms::Timer>("Retry")) {
  retry_.setTimerEnabled(false);
  retry_.onTick = [this] { retryDue(); };
}

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
  clock_.load();
  retry_.setInterval(pass_->nextRetryMs());
  retry_.setTimerEnabled(true);
  if (auto* events = g_.svc.networkEvents) {
    heard_ = events->subscribe([this](platform::NetworkEvent) { changed(); });
  }
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
    // Ended from the retry timer: the window must outlive its own handler.
    window_->hide();
    pass_->stopWaiting();
    retry_.setInterval(1);
  };
  window_->showBehind();
}

void AutoRun::drop() {
  retry_.setTimerEnabled(false);
  heard_.reset();
  window_.reset();
  pass_.reset();
  behind_ = false;
  g_.state.AutoRunState = AutoRunDue::No;
  g_.toolkit.setTrayTip(iconOwner_, iconId_, title_);
}

void AutoRun::retryDue() {
  if (!pass_) return;
  pass_->retryDue();
  if (pass_->waiting()) {
    retry_.setInterval(pass_->nextRetryMs());
  } else {
    over();
  }
}

void AutoRun::changed() {
  if (!pass_) return;
  pass_->networkChanged();
  if (!pass_->waiting()) over();
}

void AutoRun::over() {
  retry_.setTimerEnabled(false);
  heard_.reset();
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
  g_.logStatus(text);
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
  g_.logStatus(summary.text);
  std::string text = summary.text;
  for (const auto& line : lines) {
    g_.logStatus(line);
    text += "\r\n" + line;
  }
  if (summary.notConnected.empty()) return;
  g_.toolkit.notify(title_, text);
  for (const auto& f : summary.notConnected) told_.push_back(f.item->localName);
}

}  // namespace quilbert::ui
