// The machine's network changes (IP Helper's interface, address and route
// notifications) and its waking from sleep (WM_POWERBROADCAST), told through
// a hidden top-level window of the thread that creates this object, so that
// the message loop that runs the windows delivers them on that thread.
#pragma once

#include <atomic>

#include "platform/network_events.h"

namespace quilbert::platform {

class Win32NetworkEvents final : public NetworkEvents {
 public:
  // `initialNotification`: IP Helper also tells once at once (for tests of
  // the wiring; the program passes false).
  explicit Win32NetworkEvents(bool initialNotification = false);
  ~Win32NetworkEvents() override;
  Win32NetworkEvents(const Win32NetworkEvents&) = delete;
  Win32NetworkEvents& operator=(const Win32NetworkEvents&) = delete;

  // For the window procedure and the IP Helper callbacks.
  void changed();  // any thread: one message for a burst of changes
  void tell(NetworkEvent event);

 private:
  void* window_ = nullptr;
  void* handles_[3] = {};
  std::atomic<bool> pending_{false};
};

}  // namespace quilbert::platform
