// The real network on Linux: letters connected to SMB shares through the
// desktop's own mounts (GIO and gvfs), each letter an entry of a drives folder
// leading to the FUSE path of its share; libsmbclient answers the questions
// GIO answers too coarsely (which login, which share, which server) and lists
// the network for the browser and the report.
//
//   smb::SmbNetwork net(smb::SmbOptions::fromEnvironment());
//
// The connections are the links of the drives folder, so they outlive the
// process; a mount ends with the desktop session, and its links then lead
// nowhere until the letter is connected again.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/discovery.h"
#include "platform/drives.h"
#include "platform/found_computers.h"
#include "platform/network.h"
#include "platform/smb/drives_folder.h"
#include "platform/smb/gio_mounts.h"
#include "platform/smb/open_files.h"
#include "platform/smb/smb_client.h"

namespace quilbert::smb {

struct SmbOptions {
  std::string drivesFolder;  // where the letters' links go; empty: nowhere
  int port = 0;              // 0: the standard SMB ports
  int timeoutMs = 3000;      // the longest wait for a server that does not answer
  std::string logonUser;     // the user of a blank login
  bool mdns = true;          // list the servers announced by mDNS
  // The remote names the user's configuration holds ("\\server\share"); their
  // servers are offered by the browser too.
  std::function<std::vector<std::string>()> configuredRemotes;
  // Finds the computers that announce themselves by WS-Discovery; listed
  // beside the announced servers when set.
  platform::ComputerFinder findComputers;
  platform::ContainerName foundComputersName;  // default: kFoundComputers
  platform::ContainerName foundComputersMore;  // default: kMoreAnswered
  platform::ContainerName providerName;        // default: kProviderName
  platform::ContainerName otherServersName;    // default: kOtherServers

  // QUILBERT_DRIVES (default ~/Drives, the home folder taken from the password
  // database when HOME is unset), QUILBERT_SMB_PORT,
  // QUILBERT_SMB_TIMEOUT (milliseconds), the logged-on user.
  static SmbOptions fromEnvironment();
};

// The name of the one workgroup entry under which the servers announced by
// mDNS and those of the configuration are listed.
inline constexpr char kOtherServers[] = "Announced and configured servers";
inline constexpr char kProviderName[] = "SMB Network";

class SmbNetwork final : public platform::Network, public platform::Drives {
 public:
  explicit SmbNetwork(SmbOptions options);
  ~SmbNetwork() override;
  SmbNetwork(const SmbNetwork&) = delete;
  SmbNetwork& operator=(const SmbNetwork&) = delete;

  // platform::Network. Connecting, in the order checked: 1200 local name not
  // "X:"; 1222 no desktop mount service (said on stderr); 5 the drives folder
  // is refused (not the user's own, or others may write to it; said on
  // stderr); 85 the letter has an entry in the drives folder; 67 remote name not
  // "\\server\share[\folder]"; 1219 another letter holds the same server as another user; 1231 the
  // server did not answer in this pass already; 53 no such server (name not found, nothing
  // listening); 1231 no route or no answer within the bound; 67 no such share or folder; 1216 a
  // login or password too long to be passed on whole (said on stderr); 1326 logon refused (Samba
  // does not say whether the user or the password was wrong, so 86 is not given); 5 the share
  // refuses this user; then the mount. A blank login is the logged-on user; a blank login and
  // password connect as a guest.
  int addConnection(const platform::NetResource& resource, const std::string& password,
                    const std::string& userName, std::uint32_t flags) override;
  // 2250 for a letter that is no share link. Otherwise the link goes, and
  // the share is unmounted when this service mounted it and no other letter
  // leads into it; with force false, anything the user's processes hold open
  // in what would go (the whole share when it is unmounted, else the letter's
  // folder) refuses it with 2401.
  int cancelConnection(const std::string& name, std::uint32_t flags, bool force) override;
  // Within a pass, /proc is read once, at the first letter that asks.
  void beginPass() override;
  void endPass() override;
  // The letters' mounts are started at once, each on a thread of its own,
  // all under one bound; addConnection still makes every check first, then
  // takes its share's mount from there, waiting for it within that bound.
  void prepareConnections(const std::vector<platform::PendingConnection>& letters) override;
  void dropPrepared() override;
  int getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) override;
  int getConnection(const std::string& localName, std::string& remoteName) override;
  // Scope 1 (connected): the share links, with their letters; scope 3
  // (remembered): none. Scope 2: null gives the one provider; the provider gives the
  // workgroups, the entry of announced and configured servers and that of the
  // computers found (platform/found_computers.h); a workgroup
  // gives its servers ("\\name"); a server gives its disk shares. A share is no
  // container (1207).
  int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
               const platform::NetResource* container, platform::EnumHandle& handle) override;
  int enumResource(platform::EnumHandle handle, std::int32_t& count,
                   std::vector<platform::NetResource>& out, std::uint32_t& bufferSize) override;
  int closeEnum(platform::EnumHandle handle) override;
  void forgetUnreachable() override { servers_.clear(); }

  // platform::Drives: a share link is a network drive (3) with its remote name;
  // anything else in the drives folder is taken: fixed (2) when it leads
  // somewhere, unknown (0) when not.
  std::optional<platform::DriveInfo> getDrive(char letter) override;

  const DrivesFolder& drivesFolder() const { return drives_; }

 private:
  // The names of its own entries, in the program's language when it lends them.
  [[nodiscard]] std::string providerName() const;
  [[nodiscard]] std::string otherServersName() const;
  struct Cursor {
    std::vector<platform::NetResource> records;
    std::size_t next = 0;
  };
  struct Remote {
    std::string server;
    std::string share;
    std::string folder;  // '/'-separated
  };

  const OpenFiles& openFiles();
  // Whether a server answers, and the address to ask it at: empty when the
  // system does not know the name (libsmbclient may, by NetBIOS).
  struct Reached {
    int code = 0;
    std::string address;
  };
  // reach(): the system does not know the name.
  static constexpr int kUnresolved = -1;
  bool serviceMissing();
  // The mount a letter leads into has gone (unmounted elsewhere, or its daemon ended).
  bool mountGone(const ShareLink& link);
  Reached reach(const std::string& server);
  void remember(const std::string& server, int code, const std::string& address = {});
  // The login of `userName` (with the user part of its URI in `uriUser`).
  Credentials login(const std::string& userName, const std::string& password,
                    std::string& uriUser) const;
  // Another letter holds `server` as another user than `user`.
  bool otherUserHolds(const std::string& server, const std::string& user) const;
  // `taken`: the server took this login earlier in the pass.
  int checkShare(const Remote& remote, const Credentials& credentials, const Reached& reached,
                 bool taken);
  int codeOfShare(const Remote& remote, int error);
  // The kept connection to `host` with a login it took in this pass.
  SmbSession& session(const std::string& host, const Credentials& credentials);
  int mountAndLink(char letter, const Remote& remote, const Credentials& credentials,
                   const std::string& uriUser);
  // The mount of `share`: the one started ahead, or one made now; `ready`
  // when its folder was seen reading already.
  MountResult mountShare(const std::string& share, const Credentials& credentials, bool& ready);
  struct MountAhead;
  static void mountAside(const std::shared_ptr<MountAhead>& ahead, const std::string& share,
                         const std::string& folder, Credentials credentials);
  void releaseUnused(const std::string& shareUri);
  void releaseAbandoned();
  std::string shareUri(const std::string& server, const std::string& share,
                       const std::string& uriUser) const;
  std::string effectiveUser(const std::string& login) const;
  int listing(const std::string& url, std::vector<ListEntry>& out);
  // openEnum's records: the share links (scope 1); a container's children in
  // the global net (scope 2), a server's shares among them.
  void connectedRecords(std::vector<platform::NetResource>& out) const;
  int globalRecords(const platform::NetResource* container,
                    std::vector<platform::NetResource>& out);
  int serverShares(const platform::NetResource& container, const std::string& provider,
                   std::vector<platform::NetResource>& out);
  std::vector<std::string> otherServers();

  SmbOptions options_;
  std::string fuseRoot_;
  std::optional<std::string> session_;  // the session bus's name, once asked
  DrivesFolder drives_;
  std::optional<OpenFiles> openFiles_;
  bool inPass_ = false;
  SmbClient client_;
  // What each server's name and probe gave in this pass, and when: one
  // lookup per server and pass, one wait per silent server.
  struct Known {
    std::chrono::steady_clock::time_point at;
    int code = 0;
    std::string address;
  };
  std::unordered_map<std::string, Known> servers_;
  // Mounts given up on at the bound, watched until gvfs completes them (then
  // unmounted) or fails them, or for a while.
  struct Abandoned {
    std::string uri;
    std::shared_ptr<const LateMount> late;
    std::chrono::steady_clock::time_point until;
  };
  std::vector<Abandoned> abandoned_;
  // Mounts started ahead for a pass's next letters, by share URI.
  std::unordered_map<std::string, std::shared_ptr<MountAhead>> ahead_;
  // Letters whose share was asked in prepareConnections: their remote name
  // (lowercase) and the answer.
  std::map<char, std::pair<std::string, int>> checked_;
  struct KeptSession {
    KeptSession(const SmbClient& client, std::string h, const Credentials& c)
        : host(std::move(h)), credentials(c), session(client, c) {}
    std::string host;
    Credentials credentials;
    SmbSession session;
  };
  // Until the pass's end, for the letters started ahead.
  std::vector<std::unique_ptr<KeptSession>> sessions_;
  unsigned watch_ = 0;  // the toolkit loop's check of them, when one is due
  platform::FoundComputers found_;
  platform::OpenEnums<Cursor> enums_;
  bool toldMissing_ = false;
  bool toldRefused_ = false;
};

}  // namespace quilbert::smb
