#include "platform/smb/smb_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/smb/smbclient_library.h"

namespace quilbert::smb {

struct Given {
  Credentials credentials;
  bool tooLong = false;
};

namespace {

// Copies a value into libsmbclient's buffer; false when it does not fit whole.
bool fill(char* buffer, int length, const std::string& value) {
  if (length <= 0 || value.size() >= static_cast<std::size_t>(length)) {
    if (length > 0) buffer[0] = '\0';
    return false;
  }
  value.copy(buffer, value.size());
  buffer[value.size()] = '\0';
  return true;
}

// libsmbclient asks for credentials through a callback without a user
// pointer; the context's user data carries them. A value its buffers cannot
// hold whole is not sent cut short (a wrong login, said to be refused) but
// reported as such.
void supplyCredentials(SMBCCTX* context, const char* /*server*/, const char* /*share*/,
                       char* workgroup, int workgroupLength, char* user, int userLength,
                       char* password, int passwordLength) {
  auto* given = static_cast<Given*>(smbClientCalls()->getUserData(context));
  if (given == nullptr) return;
  const Credentials& c = given->credentials;
  // An empty user with an empty password would make the library log on as a
  // guest whatever the ticket: its own defaults stand, and the ticket decides.
  if (c.kerberos && c.user.empty() && c.password.empty()) return;
  const bool whole = (c.domain.empty() || fill(workgroup, workgroupLength, c.domain)) &&
                     fill(user, userLength, c.user) && fill(password, passwordLength, c.password);
  if (!whole) {
    given->tooLong = true;
    fill(user, userLength, "");
    fill(password, passwordLength, "");
  }
}

}  // namespace

SmbClient::SmbClient(int port, int timeoutMs) : port_(port), timeoutMs_(timeoutMs) {}

int SmbClient::check(const std::string& url, const Credentials& credentials) const {
  return run(url, credentials, nullptr);
}

int SmbClient::list(const std::string& url, const Credentials& credentials,
                    std::vector<ListEntry>& out) const {
  out.clear();
  return run(url, credentials, &out);
}

// A context that logs on with `given`; nullptr with the errno when it cannot
// be made.
SMBCCTX* SmbClient::openContext(Given& given, int& error) const {
  const SmbClientCalls* smbc = smbClientCalls();
  error = smbc == nullptr ? ELIBACC : 0;
  SMBCCTX* context = smbc != nullptr ? smbc->newContext() : nullptr;
  if (context == nullptr) {
    error = error != 0 ? error : ENOMEM;
    return nullptr;
  }
  const Credentials& credentials = given.credentials;
  const bool anonymous =
      credentials.user.empty() && credentials.password.empty() && !credentials.kerberos;
  smbc->setNoAutoAnonymousLogin(context, anonymous ? 0 : 1);
  if (credentials.kerberos) {
    smbc->setUseKerberos(context, 1);
    smbc->setFallbackAfterKerberos(context, credentials.password.empty() ? 0 : 1);
  }
  smbc->setUserData(context, &given);
  smbc->setAuthFunction(context, supplyCredentials);
  smbc->setTimeout(context, timeoutMs_);
  if (port_ != 0) smbc->setPort(context, static_cast<std::uint16_t>(port_));
  smbc->setDebug(context, 0);
  if (smbc->initContext(context) == nullptr) {
    error = errno != 0 ? errno : EINVAL;
    smbc->freeContext(context, 1);
    return nullptr;
  }
  return context;
}

namespace {

int ask(SMBCCTX* context, const std::string& url, std::vector<ListEntry>* out) {
  const SmbClientCalls* smbc = smbClientCalls();
  SMBCFILE* dir = smbc->opendirFunction(context)(context, url.c_str());
  if (dir == nullptr) return errno != 0 ? errno : EIO;
  if (out != nullptr) {
    while (const smbc_dirent* entry = smbc->readdirFunction(context)(context, dir)) {
      out->push_back({entry->smbc_type, entry->name, entry->comment});
    }
  }
  smbc->closedirFunction(context)(context, dir);
  return 0;
}

}  // namespace

int SmbClient::run(const std::string& url, const Credentials& credentials,
                   std::vector<ListEntry>* out) const {
  // A fresh context per question: libsmbclient caches connections and their
  // credentials, and a cached login would hide a wrong password.
  Given given{credentials};
  int error = 0;
  SMBCCTX* context = openContext(given, error);
  if (context == nullptr) return error;
  const int result = ask(context, url, out);
  smbClientCalls()->freeContext(context, 1);
  return given.tooLong ? EOVERFLOW : result;
}

SmbSession::SmbSession(const SmbClient& client, const Credentials& credentials)
    : given_(std::make_unique<Given>(Given{credentials})) {
  context_ = client.openContext(*given_, error_);
}

SmbSession::~SmbSession() {
  if (context_ != nullptr) smbClientCalls()->freeContext(context_, 1);
}

int SmbSession::check(const std::string& url) {
  if (context_ == nullptr) return error_;
  const int result = ask(context_, url, nullptr);
  return given_->tooLong ? EOVERFLOW : result;
}

namespace {

constexpr int kNextAddressMs = 250;

// One connection under way.
struct Attempt {
  int fd = -1;
  std::size_t index = 0;
};

// Starts a non-blocking connection to `address`; the socket, or -1 with the
// errno of a failure known at once in `error`.
int startConnect(const std::string& address, int port, int& error) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;  // never a name lookup here
  addrinfo* a = nullptr;
  if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &a) != 0) {
    error = EINVAL;
    return -1;
  }
  const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  error = fd < 0 ? errno : 0;
  if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) error = errno;
  ::freeaddrinfo(a);
  if (error == EINPROGRESS) return fd;
  if (fd >= 0) ::close(fd);
  return -1;  // connected at once is told as an answer too: error 0
}

}  // namespace

// The addresses are raced as RFC 8305 does: the next one starts when the
// last has not answered within kNextAddressMs, or at once when it failed;
// the first to connect wins. A silent first address (a broken IPv6 route, a
// stale record) then costs a quarter of a second, not the whole bound.
int probeTcp(const std::vector<std::string>& addresses, int port, int timeoutMs,
             std::size_t* answered) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<Attempt> running;
  std::size_t next = 0;
  std::size_t refusedAt = addresses.size();  // the first that refused
  int lastError = ETIMEDOUT;
  auto nextStart = Clock::now();
  std::size_t winner = addresses.size();
  while (winner == addresses.size()) {
    const auto now = Clock::now();
    if (next < addresses.size() && now < deadline && (now >= nextStart || running.empty())) {
      int error = 0;
      const int fd = startConnect(addresses[next], port, error);
      if (fd >= 0) running.push_back({fd, next});
      if (fd < 0 && error == 0) winner = next;
      if (fd < 0 && error != 0) lastError = error;
      if (fd < 0 && error == ECONNREFUSED) refusedAt = std::min(refusedAt, next);
      ++next;
      nextStart = Clock::now() + std::chrono::milliseconds(kNextAddressMs);
      continue;
    }
    if (running.empty() || now >= deadline) break;
    const auto wake = next < addresses.size() ? std::min(deadline, nextStart) : deadline;
    std::vector<pollfd> polled;
    for (const Attempt& a : running) polled.push_back({a.fd, POLLOUT, 0});
    const long wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
    if (::poll(polled.data(), polled.size(), static_cast<int>(std::max(wait, 1L))) <= 0) continue;
    std::vector<Attempt> still;
    for (std::size_t i = 0; i < polled.size(); ++i) {
      if (polled[i].revents == 0) {
        still.push_back(running[i]);
        continue;
      }
      int error = 0;
      socklen_t size = sizeof error;
      ::getsockopt(running[i].fd, SOL_SOCKET, SO_ERROR, &error, &size);
      ::close(running[i].fd);
      if (error == 0 && winner == addresses.size()) winner = running[i].index;
      if (error != 0) lastError = error;
      if (error == ECONNREFUSED) refusedAt = std::min(refusedAt, running[i].index);
    }
    running = std::move(still);
    // A failure starts the next address at once.
    if (running.empty()) nextStart = Clock::now();
  }
  for (const Attempt& a : running) ::close(a.fd);
  // Connected; else nothing listening at one of them (the host answered);
  // else the last failure, or no answer in time.
  std::size_t index = winner;
  int result = 0;
  if (winner == addresses.size()) {
    index = refusedAt;
    const bool allFailed = running.empty() && next == addresses.size();
    result = refusedAt < addresses.size() ? ECONNREFUSED : allFailed ? lastError : ETIMEDOUT;
  }
  if (answered != nullptr && index < addresses.size()) *answered = index;
  return result;
}

}  // namespace quilbert::smb
