// Network changes and waking from sleep reach the listener on the thread that
// runs the windows, through its message loop.
#include "platform/win32/win32_network_events.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

namespace quilbert::platform {
namespace {

// Runs the thread's message loop until `count` events came or 2 s passed.
void pumpUntil(const std::vector<NetworkEvent>& seen, std::size_t count) {
  const DWORD start = GetTickCount();
  while (seen.size() < count && GetTickCount() - start < 2000) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&message);
    Sleep(5);
  }
}

TEST(Win32NetworkEvents, WakingAndBurstsOfChangesReachTheWindowThreadOnceEach) {
  Win32NetworkEvents events;
  std::vector<NetworkEvent> seen;
  auto heard = events.subscribe([&](NetworkEvent e) { seen.push_back(e); });
  // The system tells every top-level window that it sleeps, then that it woke.
  PostMessageW(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  PostMessageW(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  pumpUntil(seen, 1);
  ASSERT_EQ(seen, std::vector<NetworkEvent>{NetworkEvent::Resumed});
  // IP Helper calls from threads of its own, often several times for one change.
  std::thread helper([&] {
    events.changed();
    events.changed();
  });
  helper.join();
  pumpUntil(seen, 3);
  EXPECT_EQ(seen, (std::vector<NetworkEvent>{NetworkEvent::Resumed, NetworkEvent::Changed}));
}

}  // namespace
}  // namespace quilbert::platform
