// GLib helpers of this service: owning pointers, and a private main context
// in which an asynchronous GIO call is waited for with a bound, so that its
// callbacks come here and not to the toolkit's loop.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <thread>

namespace quilbert::smb {

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

class PrivateLoop {
 public:
  PrivateLoop() : context_(g_main_context_new()) { g_main_context_push_thread_default(context_); }
  ~PrivateLoop() {
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
  }
  PrivateLoop(const PrivateLoop&) = delete;
  PrivateLoop& operator=(const PrivateLoop&) = delete;

  // Runs the context until `done`; after `timeoutMs` (when not negative)
  // `cancel` is cancelled. With `leaveAtBound` the wait ends there too, and
  // the call's callback, if it ever comes, must find its state elsewhere than
  // on the caller's stack; otherwise the call must end at once when cancelled.
  // Returns false when the bound was reached.
  bool runUntil(const bool& done, GCancellable* cancel = nullptr, int timeoutMs = -1,
                bool leaveAtBound = false) const {
    GSource* timer = nullptr;
    if (cancel != nullptr && timeoutMs >= 0) {
      timer = g_timeout_source_new(static_cast<guint>(timeoutMs));
      g_source_set_callback(
          timer,
          [](gpointer c) {
            g_cancellable_cancel(static_cast<GCancellable*>(c));
            return G_SOURCE_REMOVE;
          },
          cancel, nullptr);
      g_source_attach(timer, context_);
    }
    while (!done && !(leaveAtBound && g_cancellable_is_cancelled(cancel))) {
      g_main_context_iteration(context_, TRUE);
    }
    const bool inTime = cancel == nullptr || !g_cancellable_is_cancelled(cancel);
    if (timer != nullptr) {
      g_source_destroy(timer);
      g_source_unref(timer);
    }
    return inTime;
  }
  [[nodiscard]] GMainContext* context() const { return context_; }

  // For a call left at its bound: a thread of its own runs this context until
  // `ended` says so, or for `limitMs` at most, so that the call's late
  // callbacks find a loop and free their state. `ended` owns what it reads.
  void finishAside(std::function<bool()> ended, int limitMs) const {
    GMainContext* context = g_main_context_ref(context_);
    std::thread([context, ended = std::move(ended), limitMs] {
      bool late = false;
      GSource* timer = g_timeout_source_new(static_cast<guint>(limitMs));
      g_source_set_callback(
          timer,
          [](gpointer l) {
            *static_cast<bool*>(l) = true;
            return G_SOURCE_REMOVE;
          },
          &late, nullptr);
      g_source_attach(timer, context);
      // Waits, if need be, until the caller has let go of the context.
      while (!ended() && !late) g_main_context_iteration(context, TRUE);
      g_source_destroy(timer);
      g_source_unref(timer);
      g_main_context_unref(context);
    }).detach();
  }

 private:
  GMainContext* context_;
};

}  // namespace quilbert::smb
