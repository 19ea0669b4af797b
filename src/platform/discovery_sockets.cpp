// Multicast on every interface, the answers, and short TCP exchanges with a
// bound, over the platform's socket calls.
#include "platform/discovery_sockets.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>

namespace quilbert::platform::sockets {

namespace {

constexpr std::size_t kLargestDatagram = 65536;

class CoreSockets final : public DiscoverySockets {
 public:
  explicit CoreSockets(std::unique_ptr<SocketCalls> calls) : calls_(std::move(calls)) {}
  ~CoreSockets() override {
    for (SocketId s : datagrams_) {
      if (s != kNoSocket) calls_->close(s);
    }
  }
  CoreSockets(const CoreSockets&) = delete;
  CoreSockets& operator=(const CoreSockets&) = delete;

  std::int64_t nowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  bool multicast(const std::string& datagram) override {
    if (!calls_->usable()) return false;
    open();
    bool sent = false;
    std::set<std::uint32_t> v6Done;
    for (const Interface& on : calls_->interfaces()) {
      const SocketId s = datagrams_[on.family == Family::v4 ? 0 : 1];
      if (s == kNoSocket) continue;
      if (on.family == Family::v6 && (on.index == 0 || !v6Done.insert(on.index).second)) continue;
      if (calls_->sendToGroup(s, on, datagram)) sent = true;
    }
    return sent;
  }

  bool receive(int timeoutMs, std::string& datagram, std::string& from) override {
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
      // Asked once even when no time is left: what is in already is read.
      const std::int64_t left = std::max<std::int64_t>(deadline - nowMs(), 0);
      bool ready[2] = {};
      const Ready r = calls_->wait(datagrams_, 2, false, left, ready);
      if (r == Ready::interrupted) continue;
      if (r == Ready::no) return false;
      for (int i = 0; i < 2; ++i) {
        if (!ready[i]) continue;
        datagram.resize(kLargestDatagram);
        std::uint32_t scope = 0;
        // A datagram refused somewhere (an ICMP error) says nothing to us.
        const long got =
            calls_->receiveFrom(datagrams_[i], datagram.data(), datagram.size(), from, scope);
        if (got < 0) continue;
        datagram.resize(static_cast<std::size_t>(got));
        if (scope != 0) from += "%" + std::to_string(scope);
        return true;
      }
      if (left == 0) return false;
    }
  }

  bool exchange(const std::string& host, int port, const std::string& request, int timeoutMs,
                const std::function<bool(const std::string&)>& complete,
                std::string& response) override {
    if (!calls_->usable()) return false;
    const std::int64_t deadline = nowMs() + timeoutMs;
    const SocketId s = calls_->connectStream(host, port);
    if (s == kNoSocket) return false;
    const bool done = converse(s, deadline, request, complete, response);
    calls_->close(s);
    return done;
  }

 private:
  bool converse(SocketId s, std::int64_t deadline, const std::string& request,
                const std::function<bool(const std::string&)>& complete, std::string& response) {
    if (!wait(s, true, deadline) || !calls_->connected(s)) return false;
    for (std::size_t sent = 0; sent < request.size();) {
      if (!wait(s, true, deadline)) return false;
      const long n = calls_->send(s, request.data() + sent, request.size() - sent);
      if (n == kFailed) return false;
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
    response.clear();
    char buffer[4096];
    while (!complete(response)) {
      if (!wait(s, false, deadline)) return false;
      const long n = calls_->receive(s, buffer, sizeof buffer);
      if (n == 0) return true;  // closed: the answer ends here
      if (n == kFailed) return false;
      if (n > 0) response.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }

  void open() {
    for (const Family family : {Family::v4, Family::v6}) {
      SocketId& s = datagrams_[family == Family::v4 ? 0 : 1];
      if (s == kNoSocket) s = calls_->openDatagram(family);
    }
  }

  // Whether `s` can be written (or has connected) / read before the
  // deadline; a failed connection counts as ready, and connected() tells.
  bool wait(SocketId s, bool write, std::int64_t deadline) {
    for (;;) {
      const std::int64_t left = deadline - nowMs();
      if (left <= 0) return false;
      bool ready = false;
      const Ready r = calls_->wait(&s, 1, write, left, &ready);
      if (r != Ready::interrupted) return r == Ready::yes;
    }
  }

  std::unique_ptr<SocketCalls> calls_;              // first made, last gone
  SocketId datagrams_[2] = {kNoSocket, kNoSocket};  // IPv4, IPv6
};

}  // namespace

std::unique_ptr<DiscoverySockets> discoverySockets(std::unique_ptr<SocketCalls> calls) {
  return std::make_unique<CoreSockets>(std::move(calls));
}

}  // namespace quilbert::platform::sockets
