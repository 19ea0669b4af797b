// The machine's network changing (an interface, an address or a route comes
// or goes) and the machine waking from sleep, told to the program on its
// window thread, from its loop. Nothing is told while no one listens.
#pragma once

#include <functional>

namespace quilbert::platform {

enum class NetworkEvent { Changed, Resumed };

class NetworkEvents {
 public:
  using Listener = std::function<void(NetworkEvent)>;
  virtual ~NetworkEvents() = default;
  // The one listener (null: none). Called from the window thread's loop,
  // never from inside this call.
  virtual void setListener(Listener listener) = 0;
};

}  // namespace quilbert::platform
