// Connecting and disconnecting letters: the login checked with libsmbclient,
// the share mounted through GIO, the letter's link made in the drives folder.
#include <dirent.h>
#include <glib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/log.h"
#include "platform/smb/bounded.h"
#include "platform/smb/gio_mounts.h"
#include "platform/smb/kerberos_ticket.h"
#include "platform/smb/smb_names.h"
#include "platform/smb/smb_network.h"

namespace quilbert::smb {

using platform::NetResource;
namespace neterr = platform::neterr;
using Clock = std::chrono::steady_clock;

namespace {

// How long a mount given up on is watched for: gvfs's own wait for a
// server (20 s) and a login.
constexpr auto kAbandonedFor = std::chrono::seconds(60);
constexpr unsigned kAbandonedCheckSeconds = 2;
// At the program's end: a server that went silent during the mount, which
// gvfs waits 20 s for.
constexpr auto kAbandonedAtExit = std::chrono::seconds(25);

constexpr auto kFuseReadyWait = std::chrono::milliseconds(3000);

bool readable(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  errno = 0;
  const bool ok = ::readdir(dir) != nullptr || errno == 0;
  ::closedir(dir);
  return ok;
}

// What a mount of `share` that did not succeed answers; said on stderr when
// the desktop gives a reason only a person can act on.
int codeOfMount(const MountResult& mounted, const std::string& share) {
  using O = MountResult::Outcome;
  switch (mounted.outcome) {
    case O::Mounted:
      break;
    case O::LoginRefused:
      return neterr::kLogonFailure;
    case O::Denied:
      return neterr::kAccessDenied;
    case O::NotFound:
      return neterr::kBadNetName;
    case O::Unreachable:
      return neterr::kNetworkUnreachable;
    case O::Refused:
      return neterr::kBadNetPath;
    case O::NoService:
      platform::logLine(share + ": " + mounted.message);
      return neterr::kNoNetwork;
    case O::Failed:
      platform::logLine(share + ": " + mounted.message);
      return neterr::kBadNetPath;
  }
  return neterr::kOk;
}

}  // namespace

int SmbNetwork::checkShare(const Remote& remote, const Credentials& credentials,
                           const Reached& reached, bool taken) {
  const bool unresolved = reached.code == kUnresolved;
  // libsmbclient is handed the address found, so that it looks up nothing;
  // but a Kerberos ticket is for a server's name, never for an address.
  const std::string& host = unresolved || credentials.kerberos ? remote.server : reached.address;
  const std::string server = serverUrl(host);
  const std::string shareUrl = server + "/" + uriPart(remote.share) + uriPath(remote.folder);
  // The login first, on the server's IPC$ (no RPC service needed): a refused
  // one costs the account one failed logon, and a share that refuses a good
  // one is told apart from it without offering the password a second time.
  // Samba refuses the IPC$ folder itself after a good login: only a refusal
  // of access says the login failed. A name only NetBIOS knows has its share
  // asked at once, and any refusal is the login's.
  // A login this server took earlier in the pass is not checked again: its
  // kept connection asks for the share alone.
  if (taken && !unresolved) return codeOfShare(remote, session(host, credentials).check(shareUrl));
  int error = client_.check(unresolved ? shareUrl : server + "/IPC$", credentials);
  if (error == EOVERFLOW) {
    platform::logLine("\\\\" + remote.server + "\\" + remote.share +
                      ": the login or password is longer than the SMB library can pass on (255 "
                      "bytes); it was not sent cut short");
    return neterr::kInvalidPasswordName;
  }
  // Not found by libsmbclient either: no such server, whatever it says.
  if (unresolved && (error == ECONNREFUSED || error == ETIMEDOUT || error == EHOSTUNREACH ||
                     error == ENETUNREACH || error == EINVAL || error == ENOENT)) {
    remember(remote.server, neterr::kBadNetPath);
    return neterr::kBadNetPath;
  }
  // libsmbclient gives one errno for every refused logon (a wrong password, a
  // locked, disabled or expired account), and EINVAL when it will not log a
  // user on without a password: all are told as a wrong login.
  const bool noPassword = !credentials.user.empty() && credentials.password.empty();
  if (error == EACCES || error == EPERM || (error == EINVAL && noPassword)) {
    return neterr::kLogonFailure;
  }
  // No answer there is none from the share either.
  if (!unresolved && error != ETIMEDOUT)
    return codeOfShare(remote, client_.check(shareUrl, credentials));
  return codeOfShare(remote, error);
}

// What libsmbclient's answer for a share path says, a good login given.
int SmbNetwork::codeOfShare(const Remote& remote, int error) {
  if (error == EACCES || error == EPERM || error == EINVAL) return neterr::kAccessDenied;
  if (error == 0) return neterr::kOk;
  if (error == ENOENT || error == ENOTDIR || error == ENODEV) return neterr::kBadNetName;
  if (error == ETIMEDOUT) remember(remote.server, neterr::kNetworkUnreachable);
  return codeOfReach(error);
}

SmbSession& SmbNetwork::session(const std::string& host, const Credentials& credentials) {
  for (const auto& s : sessions_) {
    const Credentials& c = s->credentials;
    if (s->host == host && c.user == credentials.user && c.domain == credentials.domain &&
        c.password == credentials.password && c.kerberos == credentials.kerberos) {
      return s->session;
    }
  }
  return sessions_.emplace_back(std::make_unique<KeptSession>(client_, host, credentials))->session;
}

int SmbNetwork::mountAndLink(char letter, const Remote& remote, const Credentials& credentials,
                             const std::string& uriUser) {
  const std::string share = shareUri(remote.server, remote.share, uriUser);
  // The mount itself waits longer than one probe: gvfs makes its own connection.
  bool ready = false;
  const MountResult mounted = mountShare(share, credentials, ready);
  if (mounted.givenUp) abandoned_.push_back({share, mounted.late, Clock::now() + kAbandonedFor});
  if (const int code = codeOfMount(mounted, share); code != neterr::kOk) return code;
  const std::string target = GioMounts::fusePath(share + uriPath(remote.folder));
  if (target.empty()) {
    platform::logLine(share + ": the desktop offers no file path for it (is gvfs-fuse installed?)");
    if (!mounted.existed) releaseUnused(share);
    return neterr::kNoNetwork;
  }
  // A mount made here is ours to end with its last letter. One found already
  // made is ours only while a letter of ours leads into it: otherwise it was
  // mounted again since, by someone else.
  if (ShareLink made; parseSharePath(target, made)) {
    bool lettered = !mounted.existed;
    for (const LetterEntry& e : drives_.readAll()) {
      lettered =
          lettered || (e.kind == LetterEntry::Kind::Share && e.link.mountRoot == made.mountRoot);
    }
    drives_.rememberMount(made.mountRoot, lettered);
  }
  // A share mounted again answers EIO through FUSE for up to a second, while
  // its cached attributes still look fine: wait until its folder reads. A
  // read through FUSE can block while the server is gone: it runs aside.
  if (!ready) {
    withinBound<bool>(static_cast<int>(kFuseReadyWait.count()), [target] {
      const auto deadline = Clock::now() + kFuseReadyWait;
      while (!readable(target) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      return true;
    });
  }
  const std::string error = drives_.link(letter, target);
  if (error.empty()) return neterr::kOk;
  if (!mounted.existed) releaseUnused(share);
  if (error == "exists") return neterr::kAlreadyAssigned;
  platform::logLine(error);
  return neterr::kAccessDenied;
}

struct SmbNetwork::MountAhead {
  std::mutex mutex;
  std::condition_variable ended;
  std::optional<MountResult> result;
  Clock::time_point deadline;
  // Its folder read through FUSE already: no wait for it is left.
  std::atomic<bool> ready = false;
  // Whether a mount nobody took was made here, for dropPrepared.
  std::shared_ptr<LateMount> late = std::make_shared<LateMount>();
};

// Mounts `share` on a thread of its own, then waits there until `folder`
// reads through FUSE.
void SmbNetwork::mountAside(const std::shared_ptr<MountAhead>& ahead, const std::string& share,
                            const std::string& folder, Credentials credentials) {
  std::thread([ahead, share, folder, credentials = std::move(credentials)]() mutable {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(ahead->deadline - Clock::now());
    const MountResult r =
        GioMounts::mount(share, credentials, static_cast<int>(std::max<long>(left.count(), 0)));
    platform::wipe(credentials.password);
    {
      const std::lock_guard<std::mutex> lock(ahead->mutex);
      ahead->result = r;
      ahead->ended.notify_all();
    }
    auto state = r.outcome == MountResult::Outcome::Mounted && !r.existed
                     ? LateMount::State::Mounted
                     : LateMount::State::Failed;
    if (r.outcome == MountResult::Outcome::Mounted) {
      const std::string target = GioMounts::fusePath(share + folder);
      const auto until = Clock::now() + kFuseReadyWait;
      while (!target.empty() && !readable(target) && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      ahead->ready = !target.empty() && Clock::now() < until;
    }
    if (r.givenUp) {
      while (r.late->state == LateMount::State::Pending &&
             Clock::now() < ahead->deadline + kAbandonedFor) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      state = r.late->state;
    }
    ahead->late->state = state;
  }).detach();
}

void SmbNetwork::prepareConnections(const std::vector<platform::PendingConnection>& letters) {
  if (serviceMissing()) return;
  // One bound for all: they run side by side, not one after another.
  const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs * 4);
  struct Check {
    Remote remote;
    Credentials credentials;
    char letter;
    std::string remoteName;
  };
  std::vector<Check> checks;
  for (const platform::PendingConnection& letter : letters) {
    Remote remote;
    const std::string remoteName = letter.resource.remoteName.value_or("");
    if (!parseUnc(remoteName, remote.server, remote.share, remote.folder)) continue;
    std::string uriUser;
    Credentials credentials = login(letter.userName, letter.password, uriUser);
    const std::string share = shareUri(remote.server, remote.share, uriUser);
    if (!ahead_.contains(share)) {
      auto ahead = std::make_shared<MountAhead>();
      ahead->deadline = deadline;
      ahead_.emplace(share, ahead);
      mountAside(ahead, share, uriPath(remote.folder), credentials);
    }
    checks.push_back({remote, std::move(credentials),
                      driveLetter(letter.resource.localName.value_or("")), lower(remoteName)});
  }
  // While they mount: each share asked, in letter order, on one connection
  // kept for the login the server took (one logon for all, not two each).
  for (const Check& c : checks) {
    const Reached reached = reach(c.remote.server);
    if (reached.code != neterr::kOk) continue;
    checked_[c.letter] = {c.remoteName, checkShare(c.remote, c.credentials, reached, true)};
  }
}

MountResult SmbNetwork::mountShare(const std::string& share, const Credentials& credentials,
                                   bool& ready) {
  ready = false;
  const auto found = ahead_.find(share);
  if (found == ahead_.end()) return GioMounts::mount(share, credentials, options_.timeoutMs * 4);
  const std::shared_ptr<MountAhead> ahead = found->second;
  ahead_.erase(found);
  std::unique_lock<std::mutex> lock(ahead->mutex);
  // The mount itself gives up at the deadline; its answer follows at once.
  ahead->ended.wait_until(lock, ahead->deadline + std::chrono::milliseconds(100),
                          [&] { return ahead->result.has_value(); });
  ready = ahead->ready;
  if (ahead->result) return *ahead->result;
  MountResult r;
  r.outcome = MountResult::Outcome::Unreachable;
  r.message = "the mount did not end within the bound";
  r.givenUp = true;
  r.late = ahead->late;
  return r;
}

void SmbNetwork::dropPrepared() {
  for (const auto& [share, ahead] : ahead_) {
    abandoned_.push_back({share, ahead->late, ahead->deadline + kAbandonedFor});
  }
  ahead_.clear();
  checked_.clear();
  sessions_.clear();
  releaseAbandoned();
}

// Unmounts a share this service mounted for a letter it could not make,
// unless a letter leads into it.
void SmbNetwork::releaseUnused(const std::string& shareUri) {
  ShareLink mounted;
  if (!parseSharePath(GioMounts::fusePath(shareUri), mounted)) return;
  for (const LetterEntry& e : drives_.readAll()) {
    if (e.kind == LetterEntry::Kind::Share && e.link.mountRoot == mounted.mountRoot) return;
  }
  GioMounts::unmount(shareUri, false, options_.timeoutMs);
  drives_.rememberMount(mounted.mountRoot, false);
}

// Mounts given up on that gvfs completed after all are unmounted, so that no
// mount nobody asked for keeps the login. Asked at each connection and
// disconnection, and every few seconds on the toolkit's loop while any is left.
void SmbNetwork::releaseAbandoned() {
  std::erase_if(abandoned_, [this](const Abandoned& a) {
    switch (a.late->state.load()) {
      case LateMount::State::Mounted:
        releaseUnused(a.uri);
        return true;
      case LateMount::State::Failed:
        return true;
      case LateMount::State::Pending:
        break;
    }
    return Clock::now() > a.until;
  });
  if (abandoned_.empty() && watch_ != 0) {
    g_source_remove(watch_);
    watch_ = 0;
  } else if (!abandoned_.empty() && watch_ == 0) {
    watch_ = g_timeout_add_seconds(
        kAbandonedCheckSeconds,
        [](gpointer self) {
          auto* network = static_cast<SmbNetwork*>(self);
          network->watch_ = 0;  // set again while any is left
          network->releaseAbandoned();
          return G_SOURCE_REMOVE;
        },
        this);
  }
}

SmbNetwork::~SmbNetwork() {
  if (watch_ != 0) g_source_remove(watch_);
  // gvfs completes a mount it was handed the login for even after the
  // program has gone: at its end, the program waits for them (within gvfs's
  // own wait for a server) and undoes those that came.
  const auto until = Clock::now() + kAbandonedAtExit;
  for (const Abandoned& a : abandoned_) {
    while (a.late->state == LateMount::State::Pending && Clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (a.late->state == LateMount::State::Mounted) releaseUnused(a.uri);
  }
}

// The login: "DOMAIN\\user", a user, or blank for the logged-on user; blank
// with no password as well is a guest.
Credentials SmbNetwork::login(const std::string& userName, const std::string& password,
                              std::string& uriUser) const {
  Credentials credentials;
  credentials.password = password;
  if (!userName.empty() || !password.empty()) {
    credentials.user = effectiveUser(userName);
    if (const std::size_t slash = userName.find('\\'); slash != std::string::npos) {
      credentials.domain = userName.substr(0, slash);
      uriUser = uriPart(credentials.domain) + ";";
    }
    uriUser += uriPart(credentials.user);
  }
  // The user's Kerberos ticket first when one serves the login (any ticket,
  // for a letter with neither login nor password).
  credentials.kerberos = (!userName.empty() || password.empty()) && kerberosTicketFor(userName);
  return credentials;
}

// One user per server, as Windows holds it.
bool SmbNetwork::otherUserHolds(const std::string& server, const std::string& user) const {
  for (const LetterEntry& e : drives_.readAll()) {
    if (e.kind != LetterEntry::Kind::Share || lower(e.link.server) != lower(server)) continue;
    const std::string held = e.link.user.empty() ? options_.logonUser : e.link.user;
    if (lower(held) != lower(user)) return true;
  }
  return false;
}

int SmbNetwork::addConnection(const NetResource& resource, const std::string& password,
                              const std::string& userName, std::uint32_t /*flags*/) {
  const char letter = driveLetter(resource.localName.value_or(""));
  if (letter == 0) return neterr::kBadDevice;
  if (serviceMissing()) return neterr::kNoNetwork;
  releaseAbandoned();
  if (const std::string refused = drives_.open(true); !refused.empty()) {
    if (!toldRefused_) platform::logLine(refused);
    toldRefused_ = true;
    return neterr::kAccessDenied;
  }
  if (const LetterEntry held = drives_.read(letter); held.kind != LetterEntry::Kind::Free) {
    // A letter whose mount went away is connected again in its place.
    if (held.kind != LetterEntry::Kind::Share || !mountGone(held.link) ||
        lower(remoteName(held.link)) != lower(resource.remoteName.value_or(""))) {
      return neterr::kAlreadyAssigned;
    }
    if (const std::string error = drives_.unlink(letter); !error.empty()) {
      platform::logLine(error);
      return neterr::kAccessDenied;
    }
  }
  Remote remote;
  if (!parseUnc(resource.remoteName.value_or(""), remote.server, remote.share, remote.folder)) {
    return neterr::kBadNetName;
  }

  std::string uriUser;
  Credentials credentials = login(userName, password, uriUser);
  if (otherUserHolds(remote.server, effectiveUser(userName))) {
    return neterr::kSessionCredentialConflict;
  }

  const Reached reached = reach(remote.server);
  if (reached.code != neterr::kOk && reached.code != kUnresolved) return reached.code;
  // Asked already while its mount started ahead.
  int code = neterr::kOk;
  const auto checked = checked_.find(letter);
  if (checked != checked_.end() &&
      checked->second.first == lower(resource.remoteName.value_or(""))) {
    code = checked->second.second;
  } else {
    code = checkShare(remote, credentials, reached, false);
  }
  if (checked != checked_.end()) checked_.erase(checked);
  if (code != neterr::kOk && credentials.kerberos && userName.empty()) {
    // A ticket this server does not take: a guest, as without one.
    credentials.kerberos = false;
    code = checkShare(remote, credentials, reached, false);
  }
  if (code != neterr::kOk) return code;
  return mountAndLink(letter, remote, credentials, uriUser);
}

int SmbNetwork::cancelConnection(const std::string& name, std::uint32_t /*flags*/, bool force) {
  const char letter = driveLetter(name);
  if (letter == 0) return neterr::kNotConnected;
  const LetterEntry entry = drives_.read(letter);
  if (entry.kind != LetterEntry::Kind::Share) return neterr::kNotConnected;
  bool shared = false;  // another letter still leads into the share
  const auto all = drives_.readAll();
  for (std::size_t i = 0; i < all.size(); ++i) {
    shared = shared ||
             (static_cast<char>('A' + i) != letter && all[i].kind == LetterEntry::Kind::Share &&
              all[i].link.mountRoot == entry.link.mountRoot);
  }
  // Only a mount of ours that no other letter uses goes with the letter; the
  // file manager's, or one made before, stays whatever happens to the letter.
  const bool unmount = !shared && drives_.mountedHere(entry.link.mountRoot);
  // Whatever is open anywhere in a share about to be unmounted would lose its
  // writes; a share that stays only loses the letter's own folder. Known by
  // the link's text and /proc: nothing here goes through FUSE, which blocks
  // while the server is gone.
  if (!force && openFiles().anyUnder(unmount ? entry.link.mountRoot : entry.target)) {
    return neterr::kOpenFiles;
  }
  if (const std::string error = drives_.unlink(letter); !error.empty()) {
    platform::logLine(error);
    return neterr::kAccessDenied;
  }
  releaseAbandoned();
  if (!unmount || !GioMounts::missingService().empty()) return neterr::kOk;
  const std::string uri = linkUri(entry.link);
  if (const std::string error = GioMounts::unmount(uri, force, options_.timeoutMs);
      !error.empty()) {
    platform::logLine(uri + ": " + error);
    return neterr::kOk;  // still ours, for the next time
  }
  // Unmounted, or gone with the session: no longer ours either way.
  drives_.rememberMount(entry.link.mountRoot, false);
  return neterr::kOk;
}

}  // namespace quilbert::smb
