#include "platform/smb/network_monitor.h"

#include <gio/gio.h>

namespace quilbert::smb {

namespace {

struct BusRequest;

// A signal subscription on a bus that comes asynchronously.
struct BusWatch {
  GDBusConnection* bus = nullptr;
  guint subscription = 0;
  BusRequest* pending = nullptr;  // the bus is on its way
};

}  // namespace

struct NetworkMonitor::Gio {
  GNetworkMonitor* monitor = nullptr;
  gulong changedHandler = 0;
  BusWatch sleep;    // logind, on the system bus
  BusWatch unmount;  // gvfs, on the session bus
  BusWatch keyring;  // the Secret Service's collections, on the session bus
  guint unmountTimer = 0;
  NetworkMonitor* owner = nullptr;
};

namespace {

// What a bus, once there, is for; the monitor may be gone by then.
struct BusRequest {
  BusWatch* watch;  // null once the monitor is gone
  guint (*subscribe)(GDBusConnection* bus, gpointer data);
  gpointer data;
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

// A collection of the keyring changed (unlocked at log-on, most often): a
// letter waiting for its password may now have it.
void onKeyringChanged(GDBusConnection* /*bus*/, const gchar* /*sender*/, const gchar* /*path*/,
                      const gchar* /*interface*/, const gchar* /*signal*/, GVariant* /*parameters*/,
                      gpointer self) {
  static_cast<NetworkMonitor*>(self)->tell(platform::NetworkEvent::Changed);
}

void onBus(GObject* /*source*/, GAsyncResult* result, gpointer data) {
  auto* request = static_cast<BusRequest*>(data);
  // Without the bus (no logind, no session) there is simply nothing to tell.
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (request->watch != nullptr) {
    request->watch->pending = nullptr;
    if (bus != nullptr) {
      request->watch->bus = bus;
      request->watch->subscription = request->subscribe(bus, request->data);
      bus = nullptr;
    }
  }
  if (bus != nullptr) g_object_unref(bus);
  delete request;
}

void watchBus(GBusType type, BusWatch& watch,
              guint (*subscribe)(GDBusConnection* bus, gpointer data), gpointer data) {
  watch.pending = new BusRequest{&watch, subscribe, data};
  g_bus_get(type, nullptr, onBus, watch.pending);
}

void unwatch(BusWatch& watch) {
  if (watch.pending != nullptr) watch.pending->watch = nullptr;
  if (watch.bus == nullptr) return;
  g_dbus_connection_signal_unsubscribe(watch.bus, watch.subscription);
  g_object_unref(watch.bus);
}

}  // namespace

NetworkMonitor::NetworkMonitor() : gio_(new Gio) {
  gio_->owner = this;
  gio_->monitor = G_NETWORK_MONITOR(g_object_ref(g_network_monitor_get_default()));
  gio_->changedHandler =
      g_signal_connect(gio_->monitor, "network-changed", G_CALLBACK(onNetworkChanged), this);
  watchBus(
      G_BUS_TYPE_SYSTEM, gio_->sleep,
      [](GDBusConnection* bus, gpointer self) {
        return g_dbus_connection_signal_subscribe(
            bus, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
            "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onPrepareForSleep, self,
            nullptr);
      },
      this);
  watchBus(
      G_BUS_TYPE_SESSION, gio_->unmount,
      [](GDBusConnection* bus, gpointer gio) {
        return g_dbus_connection_signal_subscribe(
            bus, nullptr, "org.gtk.vfs.MountTracker", "Unmounted", nullptr, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onUnmounted, gio, nullptr);
      },
      gio_);
  watchBus(
      G_BUS_TYPE_SESSION, gio_->keyring,
      [](GDBusConnection* bus, gpointer self) {
        return g_dbus_connection_signal_subscribe(
            bus, nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged", nullptr,
            "org.freedesktop.Secret.Collection", G_DBUS_SIGNAL_FLAGS_NONE, onKeyringChanged, self,
            nullptr);
      },
      this);
}

NetworkMonitor::~NetworkMonitor() {
  g_signal_handler_disconnect(gio_->monitor, gio_->changedHandler);
  g_object_unref(gio_->monitor);
  if (gio_->unmountTimer != 0) g_source_remove(gio_->unmountTimer);
  unwatch(gio_->sleep);
  unwatch(gio_->unmount);
  unwatch(gio_->keyring);
  delete gio_;
}

}  // namespace quilbert::smb
