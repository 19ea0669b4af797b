#include "platform/forms/scheduler.h"

#include <algorithm>
#include <utility>

namespace quilbert::forms {

namespace {
// The clocks are one control array; a form never loses a control, so a
// clock whose timer went is kept for the next one.
constexpr const char* kClocks = "Clock";
}  // namespace

Scheduler::Scheduler(Toolkit& toolkit) : form_(toolkit, "frmScheduler") {}

Scheduler::~Scheduler() = default;

std::unique_ptr<Scheduler::Timer> Scheduler::timer(std::function<void()> onTick) {
  return std::unique_ptr<Timer>(new Timer(*this, take(std::move(onTick))));
}

std::size_t Scheduler::take(std::function<void()> onTick) {
  auto tick = std::make_shared<const std::function<void()>>(std::move(onTick));
  auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.onTick; });
  if (free != slots_.end()) {
    free->onTick = std::move(tick);
    return static_cast<std::size_t>(free - slots_.begin());
  }
  // Loaded only now: a program that never asks for a timer builds no view.
  form_.load();
  const std::size_t slot = slots_.size();
  auto& clock = form_.add<forms::Timer>(kClocks, static_cast<int>(slot) + 1);
  clock.onTick = [this, slot] { fire(slot); };
  slots_.push_back({&clock, std::move(tick)});
  return slot;
}

void Scheduler::release(std::size_t slot) {
  clock(slot).setTimerEnabled(false);
  clock(slot).setInterval(0);
  slots_[slot].onTick.reset();
}

void Scheduler::fire(std::size_t slot) const {
  // A copy: the tick may destroy its timer, and a new one take the slot.
  const auto onTick = slots_[slot].onTick;
  if (onTick && *onTick) (*onTick)();
}

Scheduler::Timer::~Timer() {
  scheduler_.release(slot_);
}

void Scheduler::Timer::start(int intervalMs) {
  forms::Timer& clock = scheduler_.clock(slot_);
  // Off first: every backend then counts the interval from now, even an
  // unchanged one.
  clock.setTimerEnabled(false);
  clock.setInterval(std::max(intervalMs, 1));
  clock.setTimerEnabled(true);
}

void Scheduler::Timer::stop() {
  scheduler_.clock(slot_).setTimerEnabled(false);
}

bool Scheduler::Timer::running() const {
  return scheduler_.clock(slot_).timerEnabled();
}

int Scheduler::Timer::intervalMs() const {
  return scheduler_.clock(slot_).interval();
}

}  // namespace quilbert::forms
