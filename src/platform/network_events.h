// The machine's network changing (an interface, an address or a route comes
// or goes) and the machine waking from sleep, told to the program on its
// window thread, from its loop. Nothing is told while no one listens.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quilbert::platform {

enum class NetworkEvent { Changed, Resumed };

class NetworkEvents {
 public:
  using Listener = std::function<void(NetworkEvent)>;

  // Holds one listener on; it stops hearing when this goes or is reset.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& o) noexcept
        : events_(std::exchange(o.events_, nullptr)), id_(o.id_) {}
    Subscription& operator=(Subscription&& o) noexcept {
      if (this != &o) {
        reset();
        events_ = std::exchange(o.events_, nullptr);
        id_ = o.id_;
      }
      return *this;
    }
    ~Subscription() { reset(); }
    void reset() {
      if (auto* events = std::exchange(events_, nullptr)) events->drop(id_);
    }

   private:
    friend class NetworkEvents;
    Subscription(NetworkEvents* events, int id) : events_(events), id_(id) {}
    NetworkEvents* events_ = nullptr;
    int id_ = 0;
  };

  virtual ~NetworkEvents() = default;
  NetworkEvents() = default;
  NetworkEvents(const NetworkEvents&) = delete;
  NetworkEvents& operator=(const NetworkEvents&) = delete;

  // Adds a listener, any number of them, told in the order they came. Called
  // from the window thread's loop, never from inside this call; a listener
  // may end any subscription, its own included, while it is told.
  [[nodiscard]] Subscription subscribe(Listener listener) {
    listeners_.push_back({++lastId_, std::make_shared<Listener>(std::move(listener))});
    return {this, lastId_};
  }

 protected:
  // What an implementation calls, from the window thread, when it saw an event.
  void tell(NetworkEvent event) {
    // A copy: listeners come and go while they are told.
    const auto now = listeners_;
    for (const auto& [id, listener] : now) {
      if (stillThere(id)) (*listener)(event);
    }
  }
  [[nodiscard]] bool listened() const { return !listeners_.empty(); }

 private:
  void drop(int id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
  }
  [[nodiscard]] bool stillThere(int id) const {
    for (const auto& l : listeners_) {
      if (l.first == id) return true;
    }
    return false;
  }

  std::vector<std::pair<int, std::shared_ptr<Listener>>> listeners_;
  int lastId_ = 0;
};

}  // namespace quilbert::platform
