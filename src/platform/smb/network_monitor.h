// The machine's network changes and its waking from sleep on Linux: GIO's
// network monitor (netlink, or NetworkManager when it runs) and logind's
// PrepareForSleep on the system bus; and, as a change, a share mount that gvfs
// lost (unmounted elsewhere, or its backend ended). All come through GLib's
// default main context, which the Qt loop runs, so they are told on the
// window thread.
#pragma once

#include "platform/network_events.h"

namespace quilbert::smb {

class NetworkMonitor final : public platform::NetworkEvents {
 public:
  NetworkMonitor();
  ~NetworkMonitor() override;
  NetworkMonitor(const NetworkMonitor&) = delete;
  NetworkMonitor& operator=(const NetworkMonitor&) = delete;

  // Tells the listeners, as the signals do (public for the C callbacks).
  using platform::NetworkEvents::tell;

  struct Gio;  // the GIO objects, known to the callbacks only

 private:
  Gio* gio_;
};

}  // namespace quilbert::smb
