#include "platform/smb/smb_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/smb/smbclient_library.h"

namespace quilbert::smb {

namespace {

struct Given {
  Credentials credentials;
  bool tooLong = false;
};

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

int SmbClient::run(const std::string& url, const Credentials& credentials,
                   std::vector<ListEntry>* out) const {
  const SmbClientCalls* smbc = smbClientCalls();
  if (smbc == nullptr) return ELIBACC;
  // A fresh context per question: libsmbclient caches connections and their
  // credentials, and a cached login would hide a wrong password.
  SMBCCTX* context = smbc->newContext();
  if (context == nullptr) return ENOMEM;
  Given given{credentials};
  const bool anonymous = credentials.user.empty() && credentials.password.empty();
  smbc->setNoAutoAnonymousLogin(context, anonymous ? 0 : 1);
  smbc->setUserData(context, &given);
  smbc->setAuthFunction(context, supplyCredentials);
  smbc->setTimeout(context, timeoutMs_);
  if (port_ != 0) smbc->setPort(context, static_cast<std::uint16_t>(port_));
  smbc->setDebug(context, 0);
  if (smbc->initContext(context) == nullptr) {
    const int error = errno != 0 ? errno : EINVAL;
    smbc->freeContext(context, 1);
    return error;
  }
  int result = 0;
  SMBCFILE* dir = smbc->opendirFunction(context)(context, url.c_str());
  if (dir == nullptr) {
    result = errno != 0 ? errno : EIO;
  } else {
    if (out != nullptr) {
      while (const smbc_dirent* entry = smbc->readdirFunction(context)(context, dir)) {
        out->push_back({entry->smbc_type, entry->name, entry->comment});
      }
    }
    smbc->closedirFunction(context)(context, dir);
  }
  smbc->freeContext(context, 1);
  return given.tooLong ? EOVERFLOW : result;
}

int probeTcp(const std::vector<std::string>& addresses, int port, int timeoutMs,
             std::size_t* answered) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int result = ETIMEDOUT;
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;  // never a name lookup here
    addrinfo* a = nullptr;
    if (::getaddrinfo(addresses[i].c_str(), std::to_string(port).c_str(), &hints, &a) != 0) {
      result = EINVAL;
      continue;
    }
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLOUT, 0};
        const int n = ::poll(&ready, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (n <= 0) {
          error = ETIMEDOUT;
        } else {
          socklen_t size = sizeof error;
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        }
      }
    }
    if (fd >= 0) ::close(fd);
    ::freeaddrinfo(a);
    result = error;
    if (error == 0 || error == ECONNREFUSED) {  // the host answered either way
      if (answered != nullptr) *answered = i;
      break;
    }
  }
  return result;
}

}  // namespace quilbert::smb
