// A call that can block without a bound of its own (a path through FUSE whose
// server has gone, a D-Bus client's set-up), run on a thread of its own and
// waited for at most a bound. Past the bound the thread is left to end by
// itself and its result is dropped: the caller goes on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace quilbert::smb {

// The job's result, or nothing when it did not end within `timeoutMs`. The
// job must own everything it uses.
template <typename T>
std::optional<T> withinBound(int timeoutMs, std::function<T()> job) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable ended;
    std::optional<T> result;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, job = std::move(job)] {
    T value = job();
    const std::lock_guard<std::mutex> lock(shared->mutex);
    shared->result = std::move(value);
    shared->ended.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(shared->mutex);
  shared->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return shared->result.has_value(); });
  return shared->result;
}

}  // namespace quilbert::smb
