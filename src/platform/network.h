// The network service: the Windows networking calls the program uses, with
// their result codes as the contract (0 success, 85 letter in use, 67 share
// not found, 53 server unknown, 1231 unreachable, 86 wrong password, 1326 unknown
// user, 1219 credential conflict, 1200 bad device, 2250 not connected, 2401 open
// files, 234 more data, 259 no more items, 1222 no network).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quilbert::platform {

namespace neterr {
inline constexpr int kOk = 0;
inline constexpr int kAccessDenied = 5;
inline constexpr int kBadNetPath = 53;
inline constexpr int kBadNetName = 67;
inline constexpr int kAlreadyAssigned = 85;
inline constexpr int kInvalidPassword = 86;
inline constexpr int kMoreData = 234;
inline constexpr int kNoMoreItems = 259;
inline constexpr int kBadDevice = 1200;
// A remembered letter whose share is not connected now.
inline constexpr int kConnectionUnavailable = 1201;
inline constexpr int kNotContainer = 1207;
inline constexpr int kNoUnicodeTranslation = 1113;
inline constexpr int kInvalidPasswordName = 1216;
inline constexpr int kSessionCredentialConflict = 1219;
inline constexpr int kNoNetwork = 1222;
inline constexpr int kNetworkUnreachable = 1231;
inline constexpr int kLogonFailure = 1326;
// Refused logins that a new password alone does not mend.
inline constexpr int kAccountRestriction = 1327;
inline constexpr int kInvalidLogonHours = 1328;
inline constexpr int kPasswordExpired = 1330;
inline constexpr int kAccountDisabled = 1331;
inline constexpr int kAccountExpired = 1793;
inline constexpr int kPasswordMustChange = 1907;
inline constexpr int kAccountLockedOut = 1909;
inline constexpr int kNotConnected = 2250;
inline constexpr int kOpenFiles = 2401;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kInvalidParameter = 87;
// The program's own (Windows' application bit): a letter's password is in a
// keyring not unlocked yet; no keyring answers for a letter's password.
inline constexpr int kKeyringLocked = 0x20000001;
inline constexpr int kNoKeyring = 0x20000002;
}  // namespace neterr

// NETRESOURCE constants.
inline constexpr std::uint32_t kScopeConnected = 1;
inline constexpr std::uint32_t kScopeGlobalNet = 2;
inline constexpr std::uint32_t kTypeAny = 0;
inline constexpr std::uint32_t kTypeDisk = 1;
inline constexpr std::uint32_t kUsageConnectable = 1;
inline constexpr std::uint32_t kUsageContainer = 2;
// Display types: 0 generic, 1 domain, 2 server, 3 share, 4 file, 5 group,
// 6 network, 7 root, 8 share admin, 9 directory, 10 tree, 11 NDS container.
inline constexpr std::uint32_t kDisplayGeneric = 0;
inline constexpr std::uint32_t kDisplayDomain = 1;
inline constexpr std::uint32_t kDisplayServer = 2;
inline constexpr std::uint32_t kDisplayShare = 3;
inline constexpr std::uint32_t kDisplayGroup = 5;
inline constexpr std::uint32_t kDisplayNetwork = 6;
// CONNECT_UPDATE_PROFILE
inline constexpr std::uint32_t kConnectUpdateProfile = 1;

struct NetResource {
  std::uint32_t scope = 0;
  std::uint32_t type = 0;
  std::uint32_t displayType = 0;
  std::uint32_t usage = 0;
  std::optional<std::string> localName;
  std::optional<std::string> remoteName;
  std::optional<std::string> comment;
  std::optional<std::string> provider;
  friend bool operator==(const NetResource&, const NetResource&) = default;
};

// Bytes one record takes in a batch buffer: the fixed NETRESOURCEA record (32
// bytes on 32-bit Windows) plus each present string with its NUL.
std::uint32_t netResourceSize(const NetResource& r);

// How a service answers getUser once it knows the name: the name and its NUL
// into `buffer`, or 234 with `length` set to what is needed.
int answerUserName(const std::string& name, std::string& buffer, std::uint32_t& length);

using EnumHandle = std::uint64_t;

// The producer's half of the batched enumeration, for every network: its open
// enumerations by handle, each a cursor of the network's own.
template <typename Cursor>
class OpenEnums {
 public:
  // A new handle for `cursor`.
  EnumHandle open(Cursor cursor) {
    const EnumHandle handle = next_++;
    open_.emplace(handle, std::move(cursor));
    return handle;
  }
  // The cursor of `handle`; null for an unknown handle.
  Cursor* find(EnumHandle handle) {
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
  }
  // closeEnum: 0, or 6 for an unknown handle.
  int close(EnumHandle handle) {
    return open_.erase(handle) == 1 ? neterr::kOk : neterr::kInvalidHandle;
  }

 private:
  std::unordered_map<EnumHandle, Cursor> open_;
  EnumHandle next_ = 1;
};

// enumResource's answer over entries [next, total), moving `next` past what it
// hands out: `wanted(i)` says whether entry i is listed, `record(i)` gives it.
// 87 for a count of 0 or below -1.
int nextBatch(std::size_t total, std::size_t& next, const std::function<bool(std::size_t)>& wanted,
              const std::function<NetResource(std::size_t)>& record, std::int32_t& count,
              std::vector<NetResource>& out, std::uint32_t& bufferSize);
// The same over records all listed.
int nextBatch(const std::vector<NetResource>& records, std::size_t& next, std::int32_t& count,
              std::vector<NetResource>& out, std::uint32_t& bufferSize);

// A letter a pass will ask addConnection for: its arguments.
struct PendingConnection {
  NetResource resource;
  std::string password;  // wiped by the caller after prepareConnections
  std::string userName;
};

class Network {
 public:
  virtual ~Network() = default;

  // WNetAddConnection2A: maps resource.localName ("X:") to resource.remoteName
  // with the password and user name as given (empty strings are passed on).
  virtual int addConnection(const NetResource& resource, const std::string& password,
                            const std::string& userName, std::uint32_t flags) = 0;
  // WNetCancelConnection2A: drops the connection of a local name ("X:"); with
  // force false, open files refuse it (2401); 2250 when there is none.
  virtual int cancelConnection(const std::string& name, std::uint32_t flags, bool force) = 0;
  // WNetGetUserA: writes the user name and a NUL into buffer (of `length`
  // characters, grown to need on 234 with length set to the need).
  virtual int getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) = 0;
  // The remote name a local name ("X:") is connected to; 2250 when none.
  virtual int getConnection(const std::string& localName, std::string& remoteName) = 0;

  // WNetOpenEnumA: starts enumerating `container`'s children (the top level
  // when null). Fails with 1207 for a resource that is no container.
  virtual int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                       const NetResource* container, EnumHandle& handle) = 0;
  // WNetEnumResourceA: fills `out` with up to `count` records (-1 = as many as
  // fit) whose sizes add up to at most `bufferSize`; sets `count` to the number
  // returned. 259 when nothing is left; 234 with `bufferSize` set to the size
  // needed when not even one record fits.
  virtual int enumResource(EnumHandle handle, std::int32_t& count, std::vector<NetResource>& out,
                           std::uint32_t& bufferSize) = 0;
  virtual int closeEnum(EnumHandle handle) = 0;

  // The network may have changed (or a retry begins): what the service keeps
  // about servers that did not answer is forgotten, so that they are asked again.
  virtual void forgetUnreachable() {}

  // The characters of `text` that these calls cannot carry (each once, in
  // order of appearance), for which they answer 1113; "" when they carry it all,
  // as networks whose calls take Unicode do.
  [[nodiscard]] virtual std::string uncarried(std::string_view /*text*/) const { return {}; }

  // Bracket a pass over the letters: a service that looks at the whole system
  // to answer for one letter (which files are open) may look once per pass.
  virtual void beginPass() {}
  virtual void endPass() {}

  // Letters a pass will ask addConnection for next, in its order, whose
  // server has just taken their login: a network may start their slow work
  // now, all at once and under one bound, and answer addConnection from it.
  // Nothing is connected before it is asked.
  virtual void prepareConnections(const std::vector<PendingConnection>& /*letters*/) {}
  // The pass is over: what was started ahead and not asked for is undone.
  virtual void dropPrepared() {}
};

// One pass over the letters, for as long as it lives.
class NetworkPass {
 public:
  explicit NetworkPass(Network& network) : network_(network) { network_.beginPass(); }
  ~NetworkPass() { network_.endPass(); }
  NetworkPass(const NetworkPass&) = delete;
  NetworkPass& operator=(const NetworkPass&) = delete;

 private:
  Network& network_;
};

}  // namespace quilbert::platform
