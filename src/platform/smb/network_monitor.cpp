#include "platform/smb/network_monitor.h"

#include <gio/gio.h>

namespace quilbert::smb {

namespace {
struct BusRequest;
}

struct NetworkMonitor::Gio {
  GNetworkMonitor* monitor = nullptr;
  gulong changedHandler = 0;
  GDBusConnection* systemBus = nullptr;
  guint sleepSubscription = 0;
  BusRequest* pending = nullptr;  // the system bus is on its way
  GDBusConnection* sessionBus = nullptr;
  guint unmountSubscription = 0;
  BusRequest* sessionPending = nullptr;
  guint unmountTimer = 0;
  NetworkMonitor* owner = nullptr;
};

namespace {

// What the system bus, once there, is for; the monitor may be gone by then.
struct BusRequest {
  NetworkMonitor* owner;
  NetworkMonitor::Gio* gio;
};

void onNetworkChanged(GNetworkMonitor* /*monitor*/, gboolean /*available*/, gpointer self) {
  static_cast<NetworkMonitor*>(self)->tell(platform::NetworkEvent::Changed);
}

// PrepareForSleep(false) comes once the machine is awake again.
void onPrepareForSleep(GDBusConnection* /*bus*/, const gchar* /*sender*/, const gchar* /*path*/,
                       const gchar* /*interface*/, const gchar* /*signal*/, GVariant* parameters,
                       gpointer self) {
  gboolean goingToSleep = TRUE;
  if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) {
    g_variant_get(parameters, "(b)", &goingToSleep);
  }
  if (goingToSleep == FALSE)
    static_cast<NetworkMonitor*>(self)->tell(platform::NetworkEvent::Resumed);
}

// gvfs's daemon tells every mount that goes: unmounted by a file manager, or
// its backend ended. A letter leading into it must be connected again, once
// gvfs's FUSE daemon, which hears it too, no longer lists the mount.
constexpr guint kAfterUnmountMs = 300;

void onUnmounted(GDBusConnection* /*bus*/, const gchar* /*sender*/, const gchar* /*path*/,
                 const gchar* /*interface*/, const gchar* /*signal*/, GVariant* /*parameters*/,
                 gpointer data) {
  auto* gio = static_cast<NetworkMonitor::Gio*>(data);
  if (gio->unmountTimer != 0) return;
  gio->unmountTimer = g_timeout_add(
      kAfterUnmountMs,
      [](gpointer data) -> gboolean {
        auto* gio = static_cast<NetworkMonitor::Gio*>(data);
        gio->unmountTimer = 0;
        gio->owner->tell(platform::NetworkEvent::Changed);
        return G_SOURCE_REMOVE;
      },
      gio);
}

void onSessionBus(GObject* /*source*/, GAsyncResult* result, gpointer data) {
  auto* request = static_cast<BusRequest*>(data);
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (request->gio != nullptr) {
    request->gio->sessionPending = nullptr;
    if (bus != nullptr) {
      request->gio->sessionBus = bus;
      request->gio->unmountSubscription = g_dbus_connection_signal_subscribe(
          bus, nullptr, "org.gtk.vfs.MountTracker", "Unmounted", nullptr, nullptr,
          G_DBUS_SIGNAL_FLAGS_NONE, onUnmounted, request->gio, nullptr);
      bus = nullptr;
    }
  }
  if (bus != nullptr) g_object_unref(bus);
  delete request;
}

void onSystemBus(GObject* /*source*/, GAsyncResult* result, gpointer data) {
  auto* request = static_cast<BusRequest*>(data);
  // Without a system bus (no logind) there is simply no wake-up to tell.
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (request->gio != nullptr) {
    request->gio->pending = nullptr;
    if (bus != nullptr) {
      request->gio->systemBus = bus;
      request->gio->sleepSubscription = g_dbus_connection_signal_subscribe(
          bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
          "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onPrepareForSleep,
          request->owner, nullptr);
      bus = nullptr;
    }
  }
  if (bus != nullptr) g_object_unref(bus);
  delete request;
}

}  // namespace

NetworkMonitor::NetworkMonitor() : gio_(new Gio) {
  gio_->owner = this;
  gio_->monitor = G_NETWORK_MONITOR(g_object_ref(g_network_monitor_get_default()));
  gio_->changedHandler =
      g_signal_connect(gio_->monitor, "network-changed", G_CALLBACK(onNetworkChanged), this);
  gio_->pending = new BusRequest{this, gio_};
  g_bus_get(G_BUS_TYPE_SYSTEM, nullptr, onSystemBus, gio_->pending);
  gio_->sessionPending = new BusRequest{this, gio_};
  g_bus_get(G_BUS_TYPE_SESSION, nullptr, onSessionBus, gio_->sessionPending);
}

NetworkMonitor::~NetworkMonitor() {
  g_signal_handler_disconnect(gio_->monitor, gio_->changedHandler);
  g_object_unref(gio_->monitor);
  if (gio_->pending != nullptr) gio_->pending->gio = nullptr;
  if (gio_->sessionPending != nullptr) gio_->sessionPending->gio = nullptr;
  if (gio_->unmountTimer != 0) g_source_remove(gio_->unmountTimer);
  if (gio_->sessionBus != nullptr) {
    g_dbus_connection_signal_unsubscribe(gio_->sessionBus, gio_->unmountSubscription);
    g_object_unref(gio_->sessionBus);
  }
  if (gio_->systemBus != nullptr) {
    g_dbus_connection_signal_unsubscribe(gio_->systemBus, gio_->sleepSubscription);
    g_object_unref(gio_->systemBus);
  }
  delete gio_;
}

void NetworkMonitor::tell(platform::NetworkEvent event) {
  if (auto listener = listener_) listener(event);
}

}  // namespace quilbert::smb
