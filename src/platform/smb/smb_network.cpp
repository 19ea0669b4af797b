#include "platform/smb/smb_network.h"

#include <dirent.h>
#include <glib.h>
#include <libsmbclient.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "platform/smb/bounded.h"
#include "platform/smb/gio_mounts.h"
#include "platform/smb/kerberos_ticket.h"
#include "platform/smb/mdns.h"
#include "platform/smb/name_lookup.h"
#include "platform/smb/smbclient_library.h"

namespace quilbert::smb {

using platform::NetResource;
namespace neterr = platform::neterr;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kStandardPort = 445;
constexpr int kSessionPort = 139;
// How long a server that did not answer is taken as silent: longer than a
// pass over 26 letters, short enough for a retry a little later to try again.
constexpr auto kSilentFor = std::chrono::seconds(30);
// How long a mount given up on is watched for: gvfs's own wait for a
// server (20 s) and a login.
constexpr auto kAbandonedFor = std::chrono::seconds(60);
constexpr unsigned kAbandonedCheckSeconds = 2;
// At the program's end: a server that went silent during the mount, which
// gvfs waits 20 s for.
constexpr auto kAbandonedAtExit = std::chrono::seconds(25);
// The mDNS browse is one short look: announcements already cached come at once.
constexpr int kMdnsWaitMs = 1000;

char driveLetter(const std::string& localName) {
  if (localName.size() != 2 || localName[1] != ':') return 0;
  const char c = localName[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  return (c >= 'A' && c <= 'Z') ? c : '\0';
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return s;
}

std::string userNameOf(uid_t uid) {
  if (const passwd* pw = ::getpwuid(uid); pw != nullptr && pw->pw_name != nullptr) {
    return pw->pw_name;
  }
  const char* env = std::getenv("USER");
  return env != nullptr ? env : "";
}

// "\\server\share\a\b" -> server, share, "a/b"; false when it is not one.
bool parseUnc(const std::string& unc, std::string& server, std::string& share,
              std::string& folder) {
  if (unc.size() < 5 || unc[0] != '\\' || unc[1] != '\\') return false;
  const std::size_t shareStart = unc.find('\\', 2);
  if (shareStart == std::string::npos || shareStart == 2) return false;
  server = unc.substr(2, shareStart - 2);
  const std::size_t folderStart = unc.find('\\', shareStart + 1);
  share =
      unc.substr(shareStart + 1, folderStart == std::string::npos ? std::string::npos
                                                                  : folderStart - shareStart - 1);
  if (share.empty() || server.find('/') != std::string::npos) return false;
  folder.clear();
  if (folderStart != std::string::npos) {
    for (std::size_t i = folderStart + 1; i < unc.size(); ++i) {
      const char c = unc[i] == '\\' ? '/' : unc[i];
      if (c == '/' && (folder.empty() || folder.back() == '/')) continue;  // "a\\b", trailing
      folder += c;
    }
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
  }
  return true;
}

// Percent-escapes what an smb:// URI cannot hold as it is.
std::string uriPart(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '$') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string uriPath(const std::string& folder) {
  std::string out;
  std::size_t start = 0;
  while (start <= folder.size() && !folder.empty()) {
    std::size_t slash = folder.find('/', start);
    if (slash == std::string::npos) slash = folder.size();
    out += "/" + uriPart(folder.substr(start, slash - start));
    start = slash + 1;
  }
  return out;
}

// "smb://host" for a name or an address (an IPv6 one in brackets).
std::string serverUrl(const std::string& host) {
  if (host.find(':') == std::string::npos) return "smb://" + uriPart(host);
  // A link-local address keeps its zone, escaped as in any URI.
  const std::size_t zone = host.find('%');
  return "smb://[" + host.substr(0, zone) +
         (zone == std::string::npos ? "" : "%25" + host.substr(zone + 1)) + "]";
}

// The URI of the mount a letter's link leads into, as it was mounted.
std::string linkUri(const ShareLink& link) {
  std::string uriUser;
  if (!link.user.empty()) {
    uriUser =
        link.domain.empty() ? uriPart(link.user) : uriPart(link.domain) + ";" + uriPart(link.user);
  }
  return "smb://" + (uriUser.empty() ? "" : uriUser + "@") + uriPart(link.server) +
         (link.port != 0 ? ":" + std::to_string(link.port) : "") + "/" + uriPart(link.share);
}

std::string remoteName(const ShareLink& link) {
  std::string unc = "\\\\" + link.server + "\\" + link.share;
  if (!link.folder.empty()) {
    unc += '\\';
    for (char c : link.folder) unc += c == '/' ? '\\' : c;
  }
  return unc;
}

constexpr auto kFuseReadyWait = std::chrono::milliseconds(3000);
// reach(): the system does not know the name.
constexpr int kUnresolved = -1;

bool readable(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  errno = 0;
  const bool ok = ::readdir(dir) != nullptr || errno == 0;
  ::closedir(dir);
  return ok;
}

int codeOfReach(int error) {
  switch (error) {
    case 0:
      return neterr::kOk;
    case ENOENT:        // the name did not resolve
    case ECONNREFUSED:  // nothing listening for SMB there
    case ENODEV:
      return neterr::kBadNetPath;
    default:  // no route, a blackhole, no answer in time
      return neterr::kNetworkUnreachable;
  }
}

}  // namespace

SmbOptions SmbOptions::fromEnvironment() {
  SmbOptions o;
  o.logonUser = userNameOf(::getuid());
  if (const char* d = std::getenv("QUILBERT_DRIVES"); d != nullptr && d[0] == '/') {
    o.drivesFolder = d;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    o.drivesFolder = std::string(home) + "/Drives";
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    // Never a shared folder such as /tmp: the links are the user's own.
    o.drivesFolder = std::string(pw->pw_dir) + "/Drives";
  }
  if (const char* p = std::getenv("QUILBERT_SMB_PORT"); p != nullptr) o.port = std::atoi(p);
  if (const char* t = std::getenv("QUILBERT_SMB_TIMEOUT"); t != nullptr && std::atoi(t) > 0) {
    o.timeoutMs = std::atoi(t);
  }
  return o;
}

SmbNetwork::SmbNetwork(SmbOptions options)
    : options_(std::move(options)),
      fuseRoot_(GioMounts::fuseRoot()),
      drives_(options_.drivesFolder, fuseRoot_,
              [this] {
                if (!session_) session_ = GioMounts::sessionId();
                return *session_;
              }),
      client_(options_.port, options_.timeoutMs),
      found_(options_.findComputers, platform::kDisplayDomain, options_.foundComputersName,
             options_.foundComputersMore) {}

std::string SmbNetwork::effectiveUser(const std::string& login) const {
  const std::string& name = login.empty() ? options_.logonUser : login;
  return name.substr(name.find_last_of('\\') + 1);
}

std::string SmbNetwork::shareUri(const std::string& server, const std::string& share,
                                 const std::string& uriUser) const {
  std::string uri = "smb://";
  if (!uriUser.empty()) uri += uriUser + "@";
  uri += uriPart(server);
  if (options_.port != 0) uri += ":" + std::to_string(options_.port);
  return uri + "/" + uriPart(share);
}

void SmbNetwork::remember(const std::string& server, int code, const std::string& address) {
  servers_[lower(server)] = Known{Clock::now(), code, address};
}

// Whether the server answers on an SMB port within the bound. Its name is
// looked up once per pass, and a failure is remembered for the pass: the
// letters after the first on a server that did not answer cost nothing.
SmbNetwork::Reached SmbNetwork::reach(const std::string& server) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
  std::vector<std::string> addresses;
  if (auto it = servers_.find(lower(server)); it != servers_.end()) {
    if (Clock::now() - it->second.at < kSilentFor) {
      if (it->second.code != neterr::kOk) return {it->second.code, ""};
      addresses.push_back(it->second.address);
    } else {
      servers_.erase(it);
    }
  }
  if (addresses.empty()) {
    NameLookup found = lookUpName(server, options_.timeoutMs);
    switch (found.outcome) {
      case NameLookup::Outcome::Found:
        addresses = std::move(found.addresses);
        break;
      case NameLookup::Outcome::NotFound:
        // The system does not know the name; it may still be a NetBIOS
        // name, which libsmbclient resolves by its own means.
        return {kUnresolved, ""};
      case NameLookup::Outcome::NoAnswer:
        remember(server, neterr::kNetworkUnreachable);
        return {neterr::kNetworkUnreachable, ""};
    }
  }
  // The lookup and the probe share the bound.
  const auto left = [&] {
    return static_cast<int>(std::max<long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
  };
  std::size_t answered = 0;
  int error =
      probeTcp(addresses, options_.port != 0 ? options_.port : kStandardPort, left(), &answered);
  if (error == ECONNREFUSED && options_.port == 0) {
    error = probeTcp(addresses, kSessionPort, left(), &answered);
  }
  const int code = codeOfReach(error);
  if (code == neterr::kOk) {
    remember(server, code, addresses[answered]);
    return {code, addresses[answered]};
  }
  if (code == neterr::kNetworkUnreachable) remember(server, code);
  return {code, ""};
}

int SmbNetwork::checkShare(const Remote& remote, const Credentials& credentials,
                           const Reached& reached) {
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
  int error = client_.check(unresolved ? shareUrl : server + "/IPC$", credentials);
  if (error == EOVERFLOW) {
    std::cerr << "quilbert: \\\\" << remote.server << "\\" << remote.share
              << ": the login or password is longer than the SMB library can pass on (255 "
                 "bytes); it was not sent cut short\n";
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
  if (!unresolved && error != ETIMEDOUT) {
    error = client_.check(shareUrl, credentials);
    if (error == EACCES || error == EPERM || error == EINVAL) return neterr::kAccessDenied;
  }
  if (error == 0) return neterr::kOk;
  if (error == ENOENT || error == ENOTDIR || error == ENODEV) return neterr::kBadNetName;
  if (error == ETIMEDOUT) remember(remote.server, neterr::kNetworkUnreachable);
  return codeOfReach(error);
}

int SmbNetwork::mountAndLink(char letter, const Remote& remote, const Credentials& credentials,
                             const std::string& uriUser) {
  const std::string share = shareUri(remote.server, remote.share, uriUser);
  // The mount itself waits longer than one probe: gvfs makes its own connection.
  const MountResult mounted = GioMounts::mount(share, credentials, options_.timeoutMs * 4);
  if (mounted.givenUp) abandoned_.push_back({share, mounted.late, Clock::now() + kAbandonedFor});
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
      std::cerr << "quilbert: " << share << ": " << mounted.message << "\n";
      return neterr::kNoNetwork;
    case O::Failed:
      std::cerr << "quilbert: " << share << ": " << mounted.message << "\n";
      return neterr::kBadNetPath;
  }
  const std::string target = GioMounts::fusePath(share + uriPath(remote.folder));
  if (target.empty()) {
    std::cerr << "quilbert: " << share
              << ": the desktop offers no file path for it (is gvfs-fuse installed?)\n";
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
  withinBound<bool>(static_cast<int>(kFuseReadyWait.count()), [target] {
    const auto deadline = Clock::now() + kFuseReadyWait;
    while (!readable(target) && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  });
  const std::string error = drives_.link(letter, target);
  if (error.empty()) return neterr::kOk;
  if (!mounted.existed) releaseUnused(share);
  if (error == "exists") return neterr::kAlreadyAssigned;
  std::cerr << "quilbert: " << error << "\n";
  return neterr::kAccessDenied;
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

std::string SmbNetwork::providerName() const {
  std::string name = options_.providerName ? options_.providerName() : std::string();
  return name.empty() ? kProviderName : name;
}

std::string SmbNetwork::otherServersName() const {
  std::string name = options_.otherServersName ? options_.otherServersName() : std::string();
  return name.empty() ? kOtherServers : name;
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

// Known by the list of gvfs's FUSE folder, which its daemon answers by itself
// while the server is away; a share's own folder would ask the server.
bool SmbNetwork::mountGone(const ShareLink& link) {
  if (::access(fuseRoot_.c_str(), F_OK) != 0) return false;  // no FUSE daemon: nothing known
  const auto listed = drives_.listedMounts();
  return std::find(listed.begin(), listed.end(),
                   link.mountRoot.substr(link.mountRoot.find_last_of('/') + 1)) == listed.end();
}

// Whether this process lacks what connecting needs: the desktop's mount
// service or the SMB client library. Said once, not once per letter of a pass.
bool SmbNetwork::serviceMissing() {
  std::string missing = GioMounts::missingService();
  if (missing.empty() && smbClientCalls(&missing) != nullptr) return false;
  if (!toldMissing_) std::cerr << "quilbert: cannot connect network drives: " << missing << "\n";
  toldMissing_ = true;
  return true;
}

int SmbNetwork::addConnection(const NetResource& resource, const std::string& password,
                              const std::string& userName, std::uint32_t /*flags*/) {
  const char letter = driveLetter(resource.localName.value_or(""));
  if (letter == 0) return neterr::kBadDevice;
  if (serviceMissing()) return neterr::kNoNetwork;
  releaseAbandoned();
  if (const std::string refused = drives_.open(true); !refused.empty()) {
    if (!toldRefused_) std::cerr << "quilbert: " << refused << "\n";
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
      std::cerr << "quilbert: " << error << "\n";
      return neterr::kAccessDenied;
    }
  }
  Remote remote;
  if (!parseUnc(resource.remoteName.value_or(""), remote.server, remote.share, remote.folder)) {
    return neterr::kBadNetName;
  }

  // The login: "DOMAIN\user", a user, or blank for the logged-on user; blank
  // with no password as well is a guest.
  Credentials credentials;
  credentials.password = password;
  std::string uriUser;
  const std::string user = effectiveUser(userName);
  if (!userName.empty() || !password.empty()) {
    credentials.user = user;
    if (const std::size_t slash = userName.find('\\'); slash != std::string::npos) {
      credentials.domain = userName.substr(0, slash);
      uriUser = uriPart(credentials.domain) + ";";
    }
    uriUser += uriPart(credentials.user);
  }
  // The user's Kerberos ticket first when one serves the login (any ticket,
  // for a letter with neither login nor password).
  credentials.kerberos = (!userName.empty() || password.empty()) && kerberosTicketFor(userName);

  // One user per server, as Windows holds it.
  for (const LetterEntry& e : drives_.readAll()) {
    if (e.kind != LetterEntry::Kind::Share || lower(e.link.server) != lower(remote.server)) {
      continue;
    }
    const std::string held = e.link.user.empty() ? options_.logonUser : e.link.user;
    if (lower(held) != lower(user)) return neterr::kSessionCredentialConflict;
  }

  const Reached reached = reach(remote.server);
  if (reached.code != neterr::kOk && reached.code != kUnresolved) return reached.code;
  int code = checkShare(remote, credentials, reached);
  if (code != neterr::kOk && credentials.kerberos && userName.empty()) {
    // A ticket this server does not take: a guest, as without one.
    credentials.kerberos = false;
    code = checkShare(remote, credentials, reached);
  }
  if (code != neterr::kOk) return code;
  return mountAndLink(letter, remote, credentials, uriUser);
}

const OpenFiles& SmbNetwork::openFiles() {
  // Outside a pass every question gets a fresh look.
  if (!openFiles_ || !inPass_) openFiles_ = OpenFiles::read(fuseRoot_);
  return *openFiles_;
}

void SmbNetwork::beginPass() {
  inPass_ = true;
}

void SmbNetwork::endPass() {
  inPass_ = false;
  openFiles_.reset();
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
    std::cerr << "quilbert: " << error << "\n";
    return neterr::kAccessDenied;
  }
  releaseAbandoned();
  if (!unmount || !GioMounts::missingService().empty()) return neterr::kOk;
  const std::string uri = linkUri(entry.link);
  if (const std::string error = GioMounts::unmount(uri, force, options_.timeoutMs);
      !error.empty()) {
    std::cerr << "quilbert: " << uri << ": " << error << "\n";
    return neterr::kOk;  // still ours, for the next time
  }
  // Unmounted, or gone with the session: no longer ours either way.
  drives_.rememberMount(entry.link.mountRoot, false);
  return neterr::kOk;
}

int SmbNetwork::getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) {
  std::string name = options_.logonUser;
  if (!localName.empty()) {
    const char letter = driveLetter(localName);
    bool found = false;
    for (int i = 0; i < 26 && !found; ++i) {
      const char l = static_cast<char>('A' + i);
      if (letter != 0 && l != letter) continue;
      const LetterEntry e = drives_.read(l);
      if (e.kind != LetterEntry::Kind::Share) continue;
      if (letter == 0 && lower(remoteName(e.link)) != lower(localName)) continue;
      found = true;
      if (!e.link.user.empty()) name = e.link.user;
    }
    if (!found) return neterr::kNotConnected;
  }
  return platform::answerUserName(name, buffer, length);
}

int SmbNetwork::getConnection(const std::string& localName, std::string& remote) {
  const char letter = driveLetter(localName);
  if (letter == 0) return neterr::kBadDevice;
  const LetterEntry e = drives_.read(letter);
  if (e.kind != LetterEntry::Kind::Share) return neterr::kNotConnected;
  remote = remoteName(e.link);
  // Remembered, but its share is not there now, as Windows tells it.
  return mountGone(e.link) ? neterr::kConnectionUnavailable : neterr::kOk;
}

std::optional<platform::DriveInfo> SmbNetwork::getDrive(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  const LetterEntry e = drives_.read(letter);
  switch (e.kind) {
    case LetterEntry::Kind::Free:
      return std::nullopt;
    case LetterEntry::Kind::Share:
      return platform::DriveInfo{letter, 3, remoteName(e.link)};
    case LetterEntry::Kind::Other:
      break;
  }
  return platform::DriveInfo{letter, e.reachable ? 2 : 0, ""};
}

// --- enumeration --------------------------------------------------------------

int SmbNetwork::listing(const std::string& url, std::vector<ListEntry>& out) {
  if (std::string why; smbClientCalls(&why) == nullptr) {
    if (!toldMissing_) std::cerr << "quilbert: cannot list the network: " << why << "\n";
    toldMissing_ = true;
    return neterr::kNoNetwork;
  }
  int error = client_.list(url, Credentials{}, out);
  // Samba starts its RPC service on the first listing and may drop that one
  // request meanwhile; a second asking finds it running.
  if (error == ECONNABORTED || error == ECONNRESET || error == EIO) {
    error = client_.list(url, Credentials{}, out);
  }
  if (error == 0) return neterr::kOk;
  if (error == EACCES || error == EPERM) return neterr::kAccessDenied;
  return codeOfReach(error);
}

std::vector<std::string> SmbNetwork::otherServers() {
  std::vector<std::string> servers;
  auto add = [&](const std::string& name) {
    for (const std::string& s : servers) {
      if (lower(s) == lower(name)) return;
    }
    servers.push_back(name);
  };
  if (options_.mdns) {
    for (const std::string& host : announcedServers(kMdnsWaitMs)) add(host);
  }
  if (options_.configuredRemotes) {
    for (const std::string& remote : options_.configuredRemotes()) {
      std::string server;
      std::string share;
      std::string folder;
      if (parseUnc(remote, server, share, folder)) add(server);
    }
  }
  for (const LetterEntry& e : drives_.readAll()) {
    if (e.kind == LetterEntry::Kind::Share) add(e.link.server);
  }
  return servers;
}

int SmbNetwork::openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                         const NetResource* container, platform::EnumHandle& handle) {
  constexpr std::uint32_t kScopeRemembered = 3;
  if (type > 2) return neterr::kInvalidParameter;
  Cursor cursor;
  if (scope == platform::kScopeConnected || scope == kScopeRemembered) {
    if (container != nullptr) return neterr::kInvalidParameter;
    const auto entries = drives_.readAll();
    for (std::size_t i = 0; scope == platform::kScopeConnected && i < entries.size(); ++i) {
      if (entries[i].kind != LetterEntry::Kind::Share) continue;
      NetResource r;
      r.scope = platform::kScopeConnected;
      r.type = platform::kTypeDisk;
      r.displayType = platform::kDisplayShare;
      r.usage = platform::kUsageConnectable;
      r.localName = std::string(1, static_cast<char>('A' + i)) + ":";
      r.remoteName = remoteName(entries[i].link);
      r.provider = providerName();
      cursor.records.push_back(std::move(r));
    }
    handle = nextHandle_++;
    enums_.emplace(handle, std::move(cursor));
    return neterr::kOk;
  }
  if (scope != platform::kScopeGlobalNet) return neterr::kInvalidParameter;
  const std::string provider = providerName();
  const std::string others = otherServersName();
  auto record = [&provider](std::uint32_t display, std::string remote, std::string comment) {
    NetResource r;
    r.scope = platform::kScopeGlobalNet;
    r.displayType = display;
    r.type = display == platform::kDisplayShare ? platform::kTypeDisk : platform::kTypeAny;
    r.usage = display == platform::kDisplayShare ? platform::kUsageConnectable
                                                 : platform::kUsageContainer;
    r.remoteName = std::move(remote);
    if (!comment.empty()) r.comment = std::move(comment);
    r.provider = provider;
    return r;
  };
  std::vector<ListEntry> entries;
  const std::string remote = container != nullptr ? container->remoteName.value_or("") : "";
  if (container == nullptr) {
    cursor.records.push_back(record(platform::kDisplayNetwork, provider, ""));
  } else if (found_.children(*container, cursor.records)) {
    // the workgroups and domains found, or a group's computers
  } else if (remote.rfind("\\\\", 0) == 0) {
    std::string server;
    std::string share;
    std::string folder;
    if (parseUnc(remote, server, share, folder)) return neterr::kNotContainer;
    server = remote.substr(2);
    if (server.empty() || server.find('\\') != std::string::npos) return neterr::kBadNetPath;
    // A computer found by discovery is reached at the address it answered
    // from: its name may be known to no resolver here.
    if (const std::string address = found_.addressOf(*container); !address.empty()) {
      server = address;
    }
    const Reached reached = reach(server);
    if (reached.code != neterr::kOk && reached.code != kUnresolved) return reached.code;
    const std::string& host = reached.address.empty() ? server : reached.address;
    if (const int code = listing(serverUrl(host), entries); code != neterr::kOk) {
      return reached.code == kUnresolved && code == neterr::kNetworkUnreachable
                 ? neterr::kBadNetPath
                 : code;
    }
    for (const ListEntry& e : entries) {
      if (e.type != SMBC_FILE_SHARE || e.name.empty() || e.name.back() == '$') continue;
      cursor.records.push_back(record(platform::kDisplayShare, remote + "\\" + e.name, e.comment));
    }
  } else if (container->displayType == platform::kDisplayNetwork || remote == provider) {
    if (listing("smb://", entries) == neterr::kOk) {
      for (const ListEntry& e : entries) {
        if (e.type == SMBC_WORKGROUP) {
          cursor.records.push_back(record(platform::kDisplayDomain, e.name, e.comment));
        }
      }
    }
    // A group of servers, not a domain: the report heads it as such.
    cursor.records.push_back(record(platform::kDisplayGroup, others, ""));
    if (auto found = found_.container()) cursor.records.push_back(std::move(*found));
  } else if (remote == others) {
    for (const std::string& server : otherServers()) {
      cursor.records.push_back(record(platform::kDisplayServer, "\\\\" + server, ""));
    }
  } else if (!remote.empty()) {
    if (const int code = listing("smb://" + uriPart(remote), entries); code != neterr::kOk) {
      return code;
    }
    for (const ListEntry& e : entries) {
      if (e.type == SMBC_SERVER) {
        cursor.records.push_back(record(platform::kDisplayServer, "\\\\" + e.name, e.comment));
      }
    }
  } else {
    return neterr::kInvalidParameter;
  }
  // Containers pass any type filter; only disk shares are ever listed.
  const std::uint32_t mask = usage & (platform::kUsageConnectable | platform::kUsageContainer);
  std::erase_if(cursor.records, [&](const NetResource& r) {
    const bool typeOk = r.type == platform::kTypeAny || type == 0 || type == r.type;
    return !typeOk || (mask != 0 && (r.usage & mask) == 0);
  });
  handle = nextHandle_++;
  enums_.emplace(handle, std::move(cursor));
  return neterr::kOk;
}

int SmbNetwork::enumResource(platform::EnumHandle handle, std::int32_t& count,
                             std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  auto it = enums_.find(handle);
  if (it == enums_.end()) return neterr::kInvalidHandle;
  if (count == 0 || count < -1) return neterr::kInvalidParameter;
  Cursor& c = it->second;
  out.clear();
  if (c.next == c.records.size()) {
    count = 0;
    return neterr::kNoMoreItems;
  }
  std::uint32_t used = 0;
  std::int32_t n = 0;
  while (c.next < c.records.size() && (count == -1 || n < count)) {
    const std::uint32_t size = platform::netResourceSize(c.records[c.next]);
    if (size > bufferSize - used) {
      if (n > 0) break;
      bufferSize = size;
      count = 0;
      return neterr::kMoreData;
    }
    used += size;
    out.push_back(c.records[c.next++]);
    ++n;
  }
  count = n;
  return c.next < c.records.size() ? neterr::kMoreData : neterr::kOk;
}

int SmbNetwork::closeEnum(platform::EnumHandle handle) {
  return enums_.erase(handle) == 1 ? neterr::kOk : neterr::kInvalidHandle;
}

}  // namespace quilbert::smb
