#include "platform/smb/gio_mounts.h"

#include <gio/gio.h>

#include <cstring>
#include <memory>

namespace quilbert::smb {

namespace {

template <typename T>
struct GDeleter {
  void operator()(T* p) const { g_object_unref(p); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GDeleter<T>>;

struct ErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// A private main context made the thread's default while an operation runs,
// so that GIO's callbacks come here and not to the toolkit's loop.
class PrivateLoop {
 public:
  PrivateLoop() : context_(g_main_context_new()) { g_main_context_push_thread_default(context_); }
  ~PrivateLoop() {
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
  }
  PrivateLoop(const PrivateLoop&) = delete;
  PrivateLoop& operator=(const PrivateLoop&) = delete;
  void runUntil(const bool& done) const {
    while (!done) g_main_context_iteration(context_, TRUE);
  }
  [[nodiscard]] GMainContext* context() const { return context_; }

 private:
  GMainContext* context_;
};

struct Answer {
  const Credentials* credentials = nullptr;
  int asked = 0;
};

void askPassword(GMountOperation* op, const char* /*message*/, const char* /*defaultUser*/,
                 const char* /*defaultDomain*/, GAskPasswordFlags flags, gpointer data) {
  auto* answer = static_cast<Answer*>(data);
  // The login is given once: asking again means the server refused it.
  if (++answer->asked > 1) {
    g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
    return;
  }
  const Credentials& c = *answer->credentials;
  if (c.user.empty() && c.password.empty() && (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED) != 0) {
    g_mount_operation_set_anonymous(op, TRUE);
  } else {
    g_mount_operation_set_username(op, c.user.c_str());
    g_mount_operation_set_domain(op, c.domain.c_str());
    g_mount_operation_set_password(op, c.password.c_str());
  }
  g_mount_operation_set_password_save(op, G_PASSWORD_SAVE_NEVER);
  g_mount_operation_reply(op, G_MOUNT_OPERATION_HANDLED);
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

gboolean cancelOnTimeout(gpointer data) {
  g_cancellable_cancel(static_cast<GCancellable*>(data));
  return G_SOURCE_REMOVE;
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
  Answer answer{&credentials, 0};
  g_signal_connect(op.get(), "ask-password", G_CALLBACK(askPassword), &answer);
  g_signal_connect(op.get(), "ask-question", G_CALLBACK(askQuestion), &answer);
  GPtr<GCancellable> cancel(g_cancellable_new());
  GSource* timer = g_timeout_source_new(static_cast<guint>(timeoutMs));
  g_source_set_callback(timer, cancelOnTimeout, cancel.get(), nullptr);
  g_source_attach(timer, loop.context());

  struct Done {
    bool done = false;
    GError* error = nullptr;
  } state;
  g_file_mount_enclosing_volume(
      file.get(), G_MOUNT_MOUNT_NONE, op.get(), cancel.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* s = static_cast<Done*>(data);
        g_file_mount_enclosing_volume_finish(G_FILE(source), result, &s->error);
        s->done = true;
      },
      &state);
  loop.runUntil(state.done);
  g_source_destroy(timer);
  g_source_unref(timer);

  MountResult r;
  if (state.error == nullptr) {
    r.outcome = MountResult::Outcome::Mounted;
    return r;
  }
  ErrorPtr error(state.error);
  r.outcome = classify(error.get());
  r.existed = r.outcome == MountResult::Outcome::Mounted;
  r.message = error->message;
  // Asked twice means refused, whatever the error says.
  if (answer.asked > 1 && r.outcome != MountResult::Outcome::Mounted) {
    r.outcome = MountResult::Outcome::LoginRefused;
  }
  return r;
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

std::string GioMounts::unmount(const std::string& uri, bool force) {
  PrivateLoop loop;
  GPtr<GFile> file(g_file_new_for_uri(uri.c_str()));
  GError* raw = nullptr;
  GMount* found = g_file_find_enclosing_mount(file.get(), nullptr, &raw);
  if (found == nullptr) {
    ErrorPtr error(raw);
    return error ? error->message : "not mounted";
  }
  GPtr<GMount> mount(found);
  struct Done {
    bool done = false;
    GError* error = nullptr;
  } state;
  g_mount_unmount_with_operation(
      mount.get(), force ? G_MOUNT_UNMOUNT_FORCE : G_MOUNT_UNMOUNT_NONE, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* s = static_cast<Done*>(data);
        g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &s->error);
        s->done = true;
      },
      &state);
  loop.runUntil(state.done);
  if (state.error == nullptr) return {};
  ErrorPtr error(state.error);
  return error->message;
}

}  // namespace quilbert::smb
