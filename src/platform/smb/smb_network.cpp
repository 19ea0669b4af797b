#include "platform/smb/smb_network.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/log.h"
#include "platform/smb/name_lookup.h"
#include "platform/smb/smb_names.h"
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

std::string userNameOf(uid_t uid) {
  if (const passwd* pw = ::getpwuid(uid); pw != nullptr && pw->pw_name != nullptr) {
    return pw->pw_name;
  }
  const char* env = std::getenv("USER");
  return env != nullptr ? env : "";
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

std::string SmbNetwork::providerName() const {
  std::string name = options_.providerName ? options_.providerName() : std::string();
  return name.empty() ? kProviderName : name;
}

std::string SmbNetwork::otherServersName() const {
  std::string name = options_.otherServersName ? options_.otherServersName() : std::string();
  return name.empty() ? kOtherServers : name;
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
  if (!toldMissing_) platform::logLine("cannot connect network drives: " + missing);
  toldMissing_ = true;
  return true;
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

}  // namespace quilbert::smb
