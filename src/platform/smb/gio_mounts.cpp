#include "platform/smb/gio_mounts.h"

#include <cstring>
#include <memory>

#include "platform/smb/glib_loop.h"

namespace quilbert::smb {

namespace {

// How long a call left at its bound is still served: gvfs's own wait for a
// server (20 s) and a login, as for the mounts given up on.
constexpr int kLeftCallLimitMs = 60000;

// A mount under way. Its callbacks may come after the call has given up and
// returned: each holds a share of it.
struct MountCall {
  Credentials credentials;
  int asked = 0;
  bool givenUp = false;  // set before the call is handed aside
  std::shared_ptr<LateMount> late;
  bool done = false;
  GError* error = nullptr;

  MountCall() = default;
  MountCall(const MountCall&) = delete;
  MountCall& operator=(const MountCall&) = delete;
  ~MountCall() {
    if (error != nullptr) g_error_free(error);
  }
};
using MountCallPtr = std::shared_ptr<MountCall>;

void askPassword(GMountOperation* op, const char* /*message*/, const char* /*defaultUser*/,
                 const char* /*defaultDomain*/, GAskPasswordFlags flags, gpointer data) {
  MountCall& call = **static_cast<MountCallPtr*>(data);
  // The login is given once: asking again means the server refused it. A
  // mount given up on gets no login any more.
  if (++call.asked > 1 || call.givenUp) {
    g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
    return;
  }
  const Credentials& c = call.credentials;
  if (c.user.empty() && c.password.empty() && (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED) != 0) {
    g_mount_operation_set_anonymous(op, TRUE);
  } else {
    g_mount_operation_set_username(op, c.user.c_str());
    g_mount_operation_set_domain(op, c.domain.c_str());
    g_mount_operation_set_password(op, c.password.c_str());
  }
  g_mount_operation_set_password_save(op, G_PASSWORD_SAVE_NEVER);
  g_mount_operation_reply(op, G_MOUNT_OPERATION_HANDLED);
  // The reply has passed the password on to gvfs: the operation's own copy
  // goes now rather than with the operation, unwiped.
  if (const char* kept = g_mount_operation_get_password(op); kept != nullptr) {
    ::explicit_bzero(const_cast<char*>(kept), std::strlen(kept));  // NOLINT: GLib's own copy
  }
}

void askQuestion(GMountOperation* op, const char* /*message*/, const char** /*choices*/,
                 gpointer /*data*/) {
  g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
}

bool contains(const char* text, const char* part) {
  return text != nullptr && std::strstr(text, part) != nullptr;
}

MountResult::Outcome classify(const GError* error) {
  using O = MountResult::Outcome;
  if (error->domain != G_IO_ERROR) return O::Failed;
  switch (error->code) {
    case G_IO_ERROR_ALREADY_MOUNTED:
      return O::Mounted;
    case G_IO_ERROR_FAILED_HANDLED:
      return O::LoginRefused;
    case G_IO_ERROR_PERMISSION_DENIED:
      return O::Denied;
    case G_IO_ERROR_NOT_FOUND:
      return O::NotFound;
    case G_IO_ERROR_TIMED_OUT:
    case G_IO_ERROR_CANCELLED:
    case G_IO_ERROR_HOST_UNREACHABLE:
    case G_IO_ERROR_NETWORK_UNREACHABLE:
      return O::Unreachable;
    case G_IO_ERROR_CONNECTION_REFUSED:
      return O::Refused;
    case G_IO_ERROR_NOT_SUPPORTED:
      return O::NoService;
    default:
      break;
  }
  // gvfs's SMB backend passes on the system's texts under G_IO_ERROR_FAILED.
  const char* m = error->message;
  if (contains(m, "No such file")) return O::NotFound;
  if (contains(m, "Connection refused")) return O::Refused;
  if (contains(m, "timed out") || contains(m, "Invalid argument") || contains(m, "unreachable")) {
    return O::Unreachable;
  }
  if (contains(m, "denied")) return O::Denied;
  return O::Failed;
}

}  // namespace

std::string GioMounts::missingService() {
  GError* raw = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw);
  if (bus == nullptr) {
    ErrorPtr error(raw);
    return std::string("no D-Bus session bus (") + (error ? error->message : "unknown") +
           "); the desktop's mounts need one, with gvfs";
  }
  g_object_unref(bus);
  const gchar* const* schemes = g_vfs_get_supported_uri_schemes(g_vfs_get_default());
  for (const gchar* const* s = schemes; s != nullptr && *s != nullptr; ++s) {
    if (std::strcmp(*s, "smb") == 0) return {};
  }
  return "gvfs does not offer smb:// here (is gvfs-backends installed and gvfsd running?)";
}

MountResult GioMounts::mount(const std::string& uri, const Credentials& credentials,
                             int timeoutMs) {
  PrivateLoop loop;
  GPtr<GFile> file(g_file_new_for_uri(uri.c_str()));
  GPtr<GMountOperation> op(g_mount_operation_new());
  auto call = std::make_shared<MountCall>();
  call->credentials = credentials;
  const auto share = [](const MountCallPtr& c) { return new MountCallPtr(c); };
  const auto drop = [](gpointer data, GClosure* /*closure*/) {
    delete static_cast<MountCallPtr*>(data);
  };
  g_signal_connect_data(op.get(), "ask-password", G_CALLBACK(askPassword), share(call), drop,
                        GConnectFlags(0));
  g_signal_connect(op.get(), "ask-question", G_CALLBACK(askQuestion), nullptr);
  g_file_mount_enclosing_volume(
      file.get(), G_MOUNT_MOUNT_NONE, op.get(), nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<MountCallPtr> held(static_cast<MountCallPtr*>(data));
        MountCall& c = **held;
        g_file_mount_enclosing_volume_finish(G_FILE(source), result, &c.error);
        c.done = true;
        // A mount already there when gvfs got to it is not the one given up on.
        if (c.late) {
          c.late->state = c.error == nullptr ? LateMount::State::Mounted : LateMount::State::Failed;
        }
      },
      share(call));
  // The call itself is not cancelled at the bound: gvfs would go on all the
  // same, and only its answer tells whether the mount came after all.
  GPtr<GCancellable> bound(g_cancellable_new());
  loop.runUntil(call->done, bound.get(), timeoutMs, true);

  MountResult r;
  if (!call->done) {
    // Past the bound the wait ends here; a mount gvfs completes later is the
    // caller's to undo.
    call->givenUp = true;
    call->late = std::make_shared<LateMount>();
    platform::wipe(call->credentials.password);
    loop.finishAside([call] { return call->done; }, kLeftCallLimitMs);
    r.givenUp = true;
    r.late = call->late;
    r.outcome = MountResult::Outcome::Unreachable;
    r.message = "the mount did not end within the bound";
    return r;
  }
  if (call->error == nullptr) {
    r.outcome = MountResult::Outcome::Mounted;
    return r;
  }
  const GError* error = call->error;
  r.outcome = classify(error);
  r.existed = r.outcome == MountResult::Outcome::Mounted;
  r.message = error->message;
  // Asked twice means refused, whatever the error says.
  if (call->asked > 1 && r.outcome != MountResult::Outcome::Mounted) {
    r.outcome = MountResult::Outcome::LoginRefused;
  }
  return r;
}

std::string GioMounts::sessionId() {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) {
    g_clear_error(&error);
    return {};
  }
  const gchar* guid = g_dbus_connection_get_guid(bus);
  std::string id = guid != nullptr ? guid : "";
  g_object_unref(bus);
  return id;
}

std::string GioMounts::fuseRoot() {
  // Where gvfsd starts its FUSE daemon: the runtime folder, or the cache
  // folder without one, as GLib picks it.
  char* root = g_build_filename(g_get_user_runtime_dir(), "gvfs", nullptr);
  std::string out = root;
  g_free(root);
  return out;
}

std::string GioMounts::fusePath(const std::string& uri) {
  GPtr<GFile> file(g_file_new_for_uri(uri.c_str()));
  char* path = g_file_get_path(file.get());
  if (path == nullptr) return {};
  std::string out = path;
  g_free(path);
  return out;
}

namespace {

// The mount holding `uri`: gvfs's own answer from its list of mounts, which
// asks no server.
GMount* enclosingMount(GFile* file) {
  GError* ignored = nullptr;
  GMount* mount = g_file_find_enclosing_mount(file, nullptr, &ignored);
  if (ignored != nullptr) g_error_free(ignored);
  return mount;
}

}  // namespace

bool GioMounts::mounted(const std::string& uri) {
  const PrivateLoop loop;
  GPtr<GFile> file(g_file_new_for_uri(uri.c_str()));
  GPtr<GMount> mount(enclosingMount(file.get()));
  return mount != nullptr;
}

std::string GioMounts::unmount(const std::string& uri, bool force, int timeoutMs) {
  PrivateLoop loop;
  GPtr<GFile> file(g_file_new_for_uri(uri.c_str()));
  GPtr<GMount> mount(enclosingMount(file.get()));
  if (mount == nullptr) return {};
  GPtr<GCancellable> cancel(g_cancellable_new());
  struct Call {
    bool done = false;
    GError* error = nullptr;
    ~Call() {
      if (error != nullptr) g_error_free(error);
    }
  };
  auto call = std::make_shared<Call>();
  g_mount_unmount_with_operation(
      mount.get(), force ? G_MOUNT_UNMOUNT_FORCE : G_MOUNT_UNMOUNT_NONE, nullptr, cancel.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<std::shared_ptr<Call>> held(
            static_cast<std::shared_ptr<Call>*>(data));
        Call& c = **held;
        g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &c.error);
        c.done = true;
      },
      new std::shared_ptr<Call>(call));
  loop.runUntil(call->done, cancel.get(), timeoutMs, true);
  if (!call->done) {
    // gvfs may answer a cancelled unmount only once its server does.
    loop.finishAside([call] { return call->done; }, kLeftCallLimitMs);
    return "the unmount did not end within the bound";
  }
  return call->error != nullptr ? call->error->message : "";
}

}  // namespace quilbert::smb
