#include "platform/linux/linux_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <thread>
#include <utility>

#include "platform/log.h"

namespace quilbert::platform {

namespace {

using Clock = std::chrono::steady_clock;

// How long a second instance keeps trying to reach the first one, which may
// still be starting and not listen yet.
constexpr auto kActivationTimeout = std::chrono::milliseconds(500);
// A peer that has not completed its request by then is dropped; so is the
// oldest one when more than kPeerLimit wait. Nothing ever waits for a peer.
constexpr auto kPeerPatience = std::chrono::seconds(1);
constexpr std::size_t kPeerLimit = 16;
// Accepted at most per call, so that a flood of connections cannot keep the
// window's thread away from its other events.
constexpr int kConnectionsPerService = 32;
const std::string kActivateRequest = "activate";
const std::string kChangedRequest = "changed";

int remainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool fillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

LinuxProcess::LinuxProcess(int argc, const char* const* argv, std::string runtimeFolder)
    : runtimeFolder_(std::move(runtimeFolder)) {
  for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
    arguments_.emplace_back(argv[i]);
  if (runtimeFolder_.empty()) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/') {
      runtimeFolder_ = xdg;
    } else {
      runtimeFolder_ = "/tmp/quilbert-" + std::to_string(::getuid());
      defaultFolder_ = true;
    }
  }
  while (runtimeFolder_.size() > 1 && runtimeFolder_.back() == '/') runtimeFolder_.pop_back();
  lockPath_ = runtimeFolder_ + "/quilbert.lock";
  socketPath_ = runtimeFolder_ + "/quilbert.sock";
}

void LinuxProcess::forbidCoreDumps() {
  const rlimit none{0, 0};
  ::setrlimit(RLIMIT_CORE, &none);
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

LinuxProcess::~LinuxProcess() {
  // Remove the socket while the lock is still held, so a successor's is never removed.
  if (listener_) ::unlink(socketPath_.c_str());
  listener_.reset();
  lock_.reset();
}

void LinuxProcess::report(const std::string& message) const {
  platform::logLine(message);
}

std::string LinuxProcess::executablePath() const {
  std::string path(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n > 0 && static_cast<std::size_t>(n) < path.size()) {
    path.resize(static_cast<std::size_t>(n));
    const std::string kDeleted = " (deleted)";  // the file was replaced while running
    if (path.size() > kDeleted.size() &&
        path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
      path.resize(path.size() - kDeleted.size());
    }
    return path;
  }
  if (!arguments_.empty()) {
    if (char* real = ::realpath(arguments_[0].c_str(), nullptr)) {
      std::string resolved = real;
      std::free(real);  // NOLINT(cppcoreguidelines-no-malloc): realpath allocates with malloc
      return resolved;
    }
  }
  return {};
}

std::string LinuxProcess::appDir() {
  std::string path = executablePath();
  std::string folder;
  if (!path.empty()) {
    folder = posix::parentFolder(path);
  } else {
    std::string cwd(PATH_MAX, '\0');
    if (::getcwd(cwd.data(), cwd.size()) != nullptr) folder = cwd.c_str();
  }
  if (folder.empty() || folder.back() != '/') folder += '/';
  // Installed, the files live in ../share/quilbert (with a link back to the
  // program there); in the build tree, beside the program.
  struct stat st {};
  const std::string shared = folder + "../share/quilbert/";
  if (::stat((folder + "lang").c_str(), &st) != 0 && ::stat((shared + "lang").c_str(), &st) == 0) {
    if (char* real = ::realpath(shared.c_str(), nullptr)) {
      folder = std::string(real) + "/";
      std::free(real);  // NOLINT(cppcoreguidelines-no-malloc): realpath allocates with malloc
    }
  }
  return folder;
}

std::string LinuxProcess::exeFileName() {
  std::string path = executablePath();
  if (path.empty() && !arguments_.empty()) path = arguments_[0];
  auto slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? std::string("quilbert") : name;
}

std::string LinuxProcess::userLanguage() {
  // The messages' locale, as the C library would choose it.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string locale(value);
    if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) return {};
    std::string code = locale.substr(0, locale.find_first_of("_.@"));
    for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return code;
  }
  return {};
}

std::string LinuxProcess::commandLine() {
  std::string line;
  for (std::size_t i = 1; i < arguments_.size(); ++i) {
    if (i > 1) line += ' ';
    line += arguments_[i];
  }
  return line;
}

std::string LinuxProcess::prepareRuntimeFolder() const {
  if (!defaultFolder_) {
    if (auto error = posix::makeFolders(runtimeFolder_, 0700); !error.empty()) return error;
  } else if (::mkdir(runtimeFolder_.c_str(), 0700) != 0 && errno != EEXIST) {
    return runtimeFolder_ + ": " + posix::systemError(errno);
  }
  // The folder must be ours and closed to others' writing, or someone else
  // could hold our lock or put a socket of theirs in our place; a shared /tmp
  // is not even readable by others.
  struct stat st {};
  if (::lstat(runtimeFolder_.c_str(), &st) != 0)
    return runtimeFolder_ + ": " + posix::systemError(errno);
  const mode_t closed = defaultFolder_ ? 077U : 022U;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & closed) != 0) {
    return runtimeFolder_ + ": not used: not a folder of this user's that others cannot write to";
  }
  return {};
}

bool LinuxProcess::claimSingleInstance() {
  if (lock_) return true;
  // When the check itself cannot be made, running twice is better than not at all.
  if (auto error = prepareRuntimeFolder(); !error.empty()) {
    report("cannot check for another running instance: " + error);
    return true;
  }
  posix::UniqueFd fd(::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd) {
    report("cannot check for another running instance: " + lockPath_ + ": " +
           posix::systemError(errno));
    return true;
  }
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) {
      sendRequest(kActivateRequest, kActivationTimeout);
      return false;
    }
    report("cannot check for another running instance: " + lockPath_ + ": " +
           posix::systemError(errno));
    return true;
  }
  // The holder's process id, for whoever looks at the file.
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd.get(), 0) == 0) {
    [[maybe_unused]] ssize_t ignored = ::pwrite(fd.get(), pid.data(), pid.size(), 0);
  }
  lock_ = std::move(fd);
  return true;
}

void LinuxProcess::sendRequest(const std::string& text, std::chrono::milliseconds patience) const {
  sockaddr_un address{};
  if (!fillAddress(socketPath_, address)) return;
  auto deadline = Clock::now() + patience;
  for (;;) {
    posix::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) return;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      std::string request = text + "\n";
      pollfd ready{fd.get(), POLLOUT, 0};
      if (::poll(&ready, 1, remainingMs(deadline)) > 0) {
        [[maybe_unused]] ssize_t sent =
            ::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL);
      }
      return;
    }
    // Not listening yet (or its queue is full): try again until the deadline.
    if (errno != ENOENT && errno != ECONNREFUSED && errno != EAGAIN && errno != EINTR) return;
    if (Clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void LinuxProcess::tellConnectionsChanged() {
  // Only the user's own folder is asked: nothing is created or claimed here.
  if (!prepareRuntimeFolder().empty()) return;
  sendRequest(kChangedRequest, std::chrono::milliseconds(0));
}

void LinuxProcess::listenForConnectionChanges(std::function<void()> onChanged) {
  onChanged_ = std::move(onChanged);
}

void LinuxProcess::listenForActivation(std::function<void()> onActivate) {
  onActivate_ = std::move(onActivate);
  if (listener_) return;
  if (!lock_) return;  // only the instance that holds the lock owns the socket
  sockaddr_un address{};
  if (!fillAddress(socketPath_, address)) {
    report("cannot listen for activation: the path " + socketPath_ + " is too long");
    return;
  }
  // Holding the lock, any socket file here was left by an instance that crashed.
  ::unlink(socketPath_.c_str());
  posix::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  // The socket file is made owner-only by bind itself: a chmod by name
  // afterwards would follow whatever stands there by then.
  const mode_t umask = ::umask(0177);
  const bool bound =
      fd && ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  const int bindError = errno;
  ::umask(umask);
  errno = bindError;
  if (!bound || ::listen(fd.get(), 16) != 0) {
    report("cannot listen for activation on " + socketPath_ + ": " + posix::systemError(errno));
    return;
  }
  // One descriptor for the window's loop to watch, however many peers are connected.
  posix::UniqueFd poller(::epoll_create1(EPOLL_CLOEXEC));
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd.get();
  if (!poller || ::epoll_ctl(poller.get(), EPOLL_CTL_ADD, fd.get(), &event) != 0) {
    report("cannot listen for activation: " + posix::systemError(errno));
    ::unlink(socketPath_.c_str());
    return;
  }
  listener_ = std::move(fd);
  poller_ = std::move(poller);
}

void LinuxProcess::serviceActivation() {
  if (!listener_) return;
  Requests requests;
  std::array<epoll_event, 32> events{};
  int ready = ::epoll_wait(poller_.get(), events.data(), static_cast<int>(events.size()), 0);
  for (int i = 0; i < ready; ++i) {
    const int fd = events[static_cast<std::size_t>(i)].data.fd;
    if (fd == listener_.get()) {
      acceptPeers(requests);
    } else if (auto peer = peers_.find(fd); peer != peers_.end()) {
      if (!readPeer(peer->second, requests)) dropPeer(fd);
    }
  }
  // Silent peers: the slow ones go, and never more than a few wait.
  const auto now = Clock::now();
  for (auto it = peers_.begin(); it != peers_.end();) {
    auto next = std::next(it);
    if (now - it->second.since > kPeerPatience) dropPeer(it->first);
    it = next;
  }
  while (peers_.size() > kPeerLimit) {
    auto oldest = peers_.begin();
    for (auto it = peers_.begin(); it != peers_.end(); ++it) {
      if (it->second.since < oldest->second.since) oldest = it;
    }
    dropPeer(oldest->first);
  }
  // Last, as the callback may run a nested loop that comes back here. However
  // many asked since the last wake-up, bringing the window back once answers all.
  if (requests.changed > 0) {
    auto callback = onChanged_;  // the callback may replace itself
    if (callback) callback();
  }
  if (requests.activate > 0) {
    auto callback = onActivate_;
    if (callback) callback();
  }
}

void LinuxProcess::acceptPeers(Requests& requests) {
  for (int i = 0; i < kConnectionsPerService; ++i) {
    posix::UniqueFd connection(
        ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // nothing more pending
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(connection.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
        peer.uid != ::geteuid()) {
      continue;  // only our own user may bring us to the front
    }
    Peer waiting{std::move(connection), {}, Clock::now()};
    // A second instance writes its request at once: most peers are done here.
    if (!readPeer(waiting, requests)) continue;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.fd = waiting.fd.get();
    if (::epoll_ctl(poller_.get(), EPOLL_CTL_ADD, waiting.fd.get(), &event) != 0) continue;
    const int fd = waiting.fd.get();
    peers_.emplace(fd, std::move(waiting));
  }
}

bool LinuxProcess::readPeer(Peer& peer, Requests& requests) {
  // One request per peer, read for a bounded number of bytes: a peer that
  // floods the socket costs no more than one that asks once.
  const std::size_t longest = std::max(kActivateRequest.size(), kChangedRequest.size()) + 1;
  std::string buffer(longest - peer.text.size(), '\0');
  const std::size_t room = buffer.size();
  ssize_t got = -1;
  do {
    got = ::read(peer.fd.get(), buffer.data(), room);
  } while (got < 0 && errno == EINTR);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  // Hung up (or failed): a last request may lack its line break.
  const bool done = got <= 0;
  if (!done) peer.text.append(buffer.data(), static_cast<std::size_t>(got));
  std::string text = peer.text;
  if (!done) {
    if (text.empty() || text.back() != '\n') {
      auto begins = [&text](const std::string& r) { return r.compare(0, text.size(), text) == 0; };
      return begins(kActivateRequest) || begins(kChangedRequest);
    }
    text.pop_back();
  }
  if (text == kActivateRequest) ++requests.activate;
  if (text == kChangedRequest) ++requests.changed;
  return false;
}

void LinuxProcess::dropPeer(int fd) {
  // Closing the descriptor also takes it out of the poller.
  peers_.erase(fd);
}

std::string LinuxProcess::untrustedFile(const std::string& path) {
  const std::string folder = path.substr(0, std::max<std::size_t>(path.find_last_of('/'), 1));
  for (const std::string& p : {path, folder}) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return p + ": " + std::strerror(errno);
    if (st.st_uid != ::getuid() && st.st_uid != 0) return p + ": owned by another user";
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return p + ": others may write to it";
  }
  return {};
}

std::string LinuxProcess::replaceFile(const std::string& path, const std::string& bytes,
                                      bool ownerOnly) {
  return posix::replaceFileAtomically(path, bytes, ownerOnly);
}

}  // namespace quilbert::platform
