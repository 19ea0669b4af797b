// Timers for code that has no window of its own: the program's loop ticks
// them, on the window thread, as it ticks a form's timers.
//
//   forms::Scheduler scheduler(toolkit);
//   auto retry = scheduler.timer([&] { tryAgain(); });
//   retry->start(2000);  // every 2 s until stopped or destroyed
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/form.h"

namespace quilbert::forms {

class Toolkit;

class Scheduler {
 public:
  class Timer;

  explicit Scheduler(Toolkit& toolkit);
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  // A stopped timer that runs `onTick` at each interval once started. The
  // scheduler must outlive it.
  [[nodiscard]] std::unique_ptr<Timer> timer(std::function<void()> onTick);

 private:
  struct Slot {
    forms::Timer* clock = nullptr;
    // Shared so that a tick destroying its own timer finishes safely.
    std::shared_ptr<const std::function<void()>> onTick;
  };

  std::size_t take(std::function<void()> onTick);
  void release(std::size_t slot);
  void fire(std::size_t slot) const;
  [[nodiscard]] forms::Timer& clock(std::size_t slot) const { return *slots_[slot].clock; }

  // Never shown: its loaded view is what makes the backend run the clocks.
  Form form_;
  std::vector<Slot> slots_;
};

class Scheduler::Timer {
 public:
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Ticks every `intervalMs` (at least 1) from now on, counting afresh when
  // already running.
  void start(int intervalMs);
  // No tick comes after this returns, even one already due.
  void stop();
  [[nodiscard]] bool running() const;
  // The interval of the last start (0 before any).
  [[nodiscard]] int intervalMs() const;

 private:
  friend class Scheduler;
  Timer(Scheduler& scheduler, std::size_t slot) : scheduler_(scheduler), slot_(slot) {}

  Scheduler& scheduler_;
  std::size_t slot_;
};

}  // namespace quilbert::forms
