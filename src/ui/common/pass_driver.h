// Hands a waiting connect pass its events until it waits no more: a retry
// each time its delay ends, and every network change or wake-up the
// platform tells. Whoever started the pass ends it (finish()) once told.
//
//   if (pass.start()) driver.drive(pass, [&] { pass.finish(); });
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/scheduler.h"
#include "platform/network_events.h"

namespace quilbert::net {
class ConnectPass;
}  // namespace quilbert::net

namespace quilbert::ui {

class PassDriver {
 public:
  // `events` may be null: then only the delays bring retries.
  PassDriver(forms::Scheduler& scheduler, platform::NetworkEvents* events);
  ~PassDriver();
  PassDriver(const PassDriver&) = delete;
  PassDriver& operator=(const PassDriver&) = delete;

  // Drives `pass`, which must outlive the drive, after its start() said it
  // waits; `onOver` runs once when it no longer waits, never inside this
  // call (it may destroy the driver). A pass driven before is dropped.
  void drive(net::ConnectPass& pass, std::function<void()> onOver);
  // Drops the pass: nothing more is done to it, nothing is told.
  void stop();
  // The person does not want to wait: the pass stops waiting now, and
  // `onOver` runs at the next tick, out of the caller's handler.
  void stopSoon();
  [[nodiscard]] bool driving() const { return pass_ != nullptr; }

  // While this answers true (a modal window is open, say), the pass is left
  // alone: a retry that falls due comes again after the same delay, and
  // network changes are not passed on (the next retry sees them).
  std::function<bool()> busy;

 private:
  void tick();
  void networkChanged();
  void over();
  [[nodiscard]] bool held() const { return busy && busy(); }

  std::unique_ptr<forms::Scheduler::Timer> timer_;
  platform::NetworkEvents* events_;
  platform::NetworkEvents::Subscription heard_;
  net::ConnectPass* pass_ = nullptr;
  std::function<void()> onOver_;
};

}  // namespace quilbert::ui
