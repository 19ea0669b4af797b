#include "ui/common/pass_driver.h"

#include <utility>

#include "net/connect_pass.h"

namespace quilbert::ui {

PassDriver::PassDriver(forms::Scheduler& scheduler, platform::NetworkEvents* events)
    : timer_(scheduler.timer([this] { tick(); })), events_(events) {}

PassDriver::~PassDriver() = default;

void PassDriver::drive(net::ConnectPass& pass, std::function<void()> onOver) {
  stop();
  pass_ = &pass;
  onOver_ = std::move(onOver);
  // A pass that waits no more is told over at the first tick, as any other.
  timer_->start(pass.waiting() ? pass.nextRetryMs() : 1);
  if (events_ != nullptr) {
    heard_ = events_->subscribe([this](platform::NetworkEvent) { networkChanged(); });
  }
}

void PassDriver::stop() {
  timer_->stop();
  heard_.reset();
  pass_ = nullptr;
  onOver_ = nullptr;
}

void PassDriver::stopSoon() {
  if (pass_ == nullptr) return;
  pass_->stopWaiting();
  // The end runs handlers that may close the window the person clicked in.
  timer_->start(1);
}

void PassDriver::tick() {
  if (pass_ == nullptr) return;
  if (pass_->waiting()) {
    if (held()) return;  // the same delay once more
    pass_->retryDue();
  }
  if (pass_->waiting()) {
    timer_->start(pass_->nextRetryMs());
  } else {
    over();
  }
}

void PassDriver::networkChanged() {
  if (pass_ == nullptr || held()) return;
  pass_->networkChanged();
  if (!pass_->waiting()) over();
}

void PassDriver::over() {
  const auto onOver = std::move(onOver_);
  stop();
  // Last: it may destroy this driver.
  if (onOver) onOver();
}

}  // namespace quilbert::ui
