#include "platform/sim/sim_network.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/sim/names.h"
#include "platform/utf8.h"

namespace quilbert::sim {

using platform::NetResource;
namespace neterr = platform::neterr;

namespace {

constexpr int kBadProvider = 1204;  // ERROR_BAD_PROVIDER
constexpr std::uint32_t kScopeRemembered = 3;

bool isUnc(std::string_view s) {
  return s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
}

const Connection* findLetter(const Connections& cs, char letter) {
  auto it = std::find_if(cs.begin(), cs.end(), [&](auto& c) { return c.letter == letter; });
  return it == cs.end() ? nullptr : &*it;
}

}  // namespace

std::unique_ptr<SimNetwork> SimNetwork::open(const std::filesystem::path& networkFile) {
  std::filesystem::path state = networkFile;
  state.replace_extension(".state");
  if (state == networkFile) state += ".state";
  return std::make_unique<SimNetwork>(readDescription(networkFile), state);
}

platform::OpenedNetwork openSimulatedNetwork(const std::filesystem::path& networkFile) {
  platform::OpenedNetwork opened;
  auto simulated = SimNetwork::open(networkFile);
  opened.drives = simulated.get();
  opened.events = simulated.get();
  opened.network = std::move(simulated);
  return opened;
}

SimNetwork::SimNetwork(const NetworkSpec& spec, std::filesystem::path statePath)
    : net_(spec),
      user_(spec.user),
      present_(spec.present),
      drives_(spec.drives),
      state_(std::move(statePath)) {}

bool SimNetwork::faulted(Call call, int& code) {
  const auto i = static_cast<std::size_t>(call);
  ++calls_[i];
  Fault& f = faults_[i];
  if (f.remaining == 0) return false;
  code = f.code;
  if (f.remaining > 0) --f.remaining;
  return true;
}

void SimNetwork::failNext(Call call, int code, int times) {
  faults_[static_cast<std::size_t>(call)] = Fault{code, times};
}

void SimNetwork::clearFaults() {
  faults_.fill(Fault{});
}

bool SimNetwork::setReachable(std::string_view server, bool reachable, bool told) {
  const NodeId id =
      net_.findPath(isUnc(server) ? std::string(server) : "\\\\" + std::string(server));
  if (id == kNoNode || net_.node(id).kind != NodeKind::Server) return false;
  net_.node(id).reachable = reachable;
  if (told) tell(platform::NetworkEvent::Changed);
  return true;
}

void SimNetwork::setNetworkPresent(bool present) {
  present_ = present;
  tell(platform::NetworkEvent::Changed);
}

bool SimNetwork::setOpenFiles(std::string_view share, int openFiles) {
  const NodeId id = net_.findPath(share);
  if (id == kNoNode || net_.node(id).kind != NodeKind::Share) return false;
  net_.node(id).openFiles = openFiles;
  return true;
}

// A "DOMAIN\user" name counts as "user"; an empty one is the logged-on user.
std::string SimNetwork::effectiveUser(const std::string& user) const {
  const std::string& name = user.empty() ? user_ : user;
  return name.substr(name.find_last_of('\\') + 1);
}

// --- connections --------------------------------------------------------------

std::string SimNetwork::uncarried(std::string_view text) const {
  return utf8::refusedCharacters(
      text, [this](std::string_view, char32_t c) { return c > highestCarried_; });
}

int SimNetwork::addConnection(const NetResource& resource, const std::string& password,
                              const std::string& userName, std::uint32_t /*flags*/) {
  int code = 0;
  if (faulted(Call::AddConnection, code)) return code;
  const char letter = driveLetter(resource.localName.value_or(""));
  if (letter == 0) return neterr::kBadDevice;
  if (!uncarried(resource.remoteName.value_or("") + password + userName).empty()) {
    return neterr::kNoUnicodeTranslation;
  }
  if (!present_) return neterr::kNoNetwork;
  if (drives_[letter - 'A'] != kNoDrive) return neterr::kAlreadyAssigned;
  const std::string error = state_.update([&](Connections& cs) {
    code = connect(cs, resource, password, userName);
    if (code == neterr::kOk) cs.push_back({letter, *resource.remoteName, effectiveUser(userName)});
    return code == neterr::kOk;
  });
  if (!error.empty()) {
    platform::logLine(error);
    return neterr::kAccessDenied;
  }
  return code;
}

int SimNetwork::connect(const Connections& cs, const NetResource& resource,
                        const std::string& password, const std::string& userName) const {
  if (findLetter(cs, driveLetter(*resource.localName)) != nullptr) return neterr::kAlreadyAssigned;
  const std::string remote = resource.remoteName.value_or("");
  const std::size_t shareStart = remote.find('\\', 2);
  if (!isUnc(remote) || shareStart == 2 || remote.size() == 2) return neterr::kBadNetName;
  const NodeId server = net_.findServer(remote);
  if (server == kNoNode) return neterr::kBadNetPath;
  if (!net_.node(server).reachable) return neterr::kNetworkUnreachable;
  const std::string user = lower(effectiveUser(userName));
  for (const Connection& c : cs) {
    if (net_.findServer(c.remote) == server && lower(effectiveUser(c.user)) != user) {
      return neterr::kSessionCredentialConflict;
    }
  }
  const NodeId target = net_.findPath(remote);
  if (target == kNoNode || net_.node(target).kind == NodeKind::Server) return neterr::kBadNetName;
  return checkAccount(net_.node(target).share, password, userName);
}

int SimNetwork::checkAccount(NodeId share, const std::string& password,
                             const std::string& userName) const {
  const Access& access = net_.access(share);
  auto account = access.passwords.find(lower(effectiveUser(userName)));
  if (account == access.passwords.end()) {
    return access.guest ? neterr::kOk : neterr::kLogonFailure;
  }
  if (userName.empty() && password.empty()) return neterr::kOk;  // her logon credentials
  return password == account->second ? neterr::kOk : neterr::kInvalidPassword;
}

int SimNetwork::cancelConnection(const std::string& name, std::uint32_t /*flags*/, bool force) {
  int code = 0;
  if (faulted(Call::CancelConnection, code)) return code;
  const char letter = driveLetter(name);
  if (letter == 0 || !present_) return neterr::kNotConnected;
  code = neterr::kNotConnected;
  const std::string error = state_.update([&](Connections& cs) {
    const Connection* c = findLetter(cs, letter);
    if (c == nullptr) return false;
    const NodeId target = net_.findPath(c->remote);
    if (!force && target != kNoNode && net_.node(net_.node(target).share).openFiles > 0) {
      code = neterr::kOpenFiles;
      return false;
    }
    cs.erase(cs.begin() + (c - cs.data()));
    code = neterr::kOk;
    return true;
  });
  if (!error.empty()) {
    platform::logLine(error);
    return neterr::kAccessDenied;
  }
  return code;
}

int SimNetwork::getUser(const std::string& localName, std::string& buffer, std::uint32_t& length) {
  int code = 0;
  if (faulted(Call::GetUser, code)) return code;
  if (!present_) return neterr::kNoNetwork;
  std::string name = user_;
  if (!localName.empty()) {
    const Connections cs = state_.read();
    const char letter = driveLetter(localName);
    auto it = std::find_if(cs.begin(), cs.end(), [&](const Connection& c) {
      return letter != 0 ? c.letter == letter : lower(c.remote) == lower(localName);
    });
    if (it == cs.end()) return neterr::kNotConnected;
    name = it->user.empty() ? user_ : it->user;
  }
  return platform::answerUserName(name, buffer, length);
}

int SimNetwork::getConnection(const std::string& localName, std::string& remoteName) {
  int code = 0;
  if (faulted(Call::GetConnection, code)) return code;
  const char letter = driveLetter(localName);
  if (letter == 0) return neterr::kBadDevice;
  if (!present_) return neterr::kNoNetwork;
  const Connections cs = state_.read();
  const Connection* c = findLetter(cs, letter);
  if (c == nullptr) return neterr::kNotConnected;
  remoteName = c->remote;
  return neterr::kOk;
}

std::optional<platform::DriveInfo> SimNetwork::getDrive(char letter) {
  int code = 0;
  if (faulted(Call::GetDrive, code) || !isLetter(letter)) return std::nullopt;
  letter = upper(letter);
  if (drives_[letter - 'A'] != kNoDrive)
    return platform::DriveInfo{letter, drives_[letter - 'A'], ""};
  if (!present_) return std::nullopt;
  const Connections cs = state_.read();
  const Connection* c = findLetter(cs, letter);
  if (c == nullptr) return std::nullopt;
  return platform::DriveInfo{letter, 3, c->remote};
}

// --- enumeration --------------------------------------------------------------

int SimNetwork::openContainer(const NetResource& container, NodeId& out) const {
  const auto& remote = container.remoteName;
  NodeId id = kNoNode;
  if (remote && isUnc(*remote)) {
    id = net_.findPath(*remote);
    if (id == kNoNode) {
      return net_.findServer(*remote) == kNoNode ? neterr::kBadNetPath : neterr::kBadNetName;
    }
  } else if (remote) {
    if (container.displayType != platform::kDisplayDomain) id = net_.findProvider(*remote);
    if (id == kNoNode && container.displayType != platform::kDisplayNetwork) {
      id = net_.findWorkgroup(*remote);
    }
    if (id == kNoNode) {
      return container.displayType == platform::kDisplayNetwork ? kBadProvider
                                                                : neterr::kBadNetPath;
    }
  } else if (container.provider) {
    id = net_.findProvider(*container.provider);
    if (id == kNoNode) return kBadProvider;
  } else {
    return neterr::kInvalidParameter;
  }
  const Node& n = net_.node(id);
  if (n.enumError != 0) return n.enumError;
  if (n.server != kNoNode && !net_.node(n.server).reachable) return neterr::kNetworkUnreachable;
  if (!net_.isContainer(id)) return neterr::kNotContainer;
  out = id;
  return neterr::kOk;
}

int SimNetwork::openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                         const NetResource* container, platform::EnumHandle& handle) {
  int code = 0;
  if (faulted(Call::OpenEnum, code)) return code;
  if (!present_) return neterr::kNoNetwork;
  if (type > 2) return neterr::kInvalidParameter;
  Cursor cursor;
  cursor.typeFilter = type;
  cursor.usageMask = usage & (platform::kUsageConnectable | platform::kUsageContainer);
  if (scope == platform::kScopeGlobalNet) {
    cursor.nodes = &net_.providers();
    if (container != nullptr) {
      NodeId id = kNoNode;
      if (int r = openContainer(*container, id); r != neterr::kOk) return r;
      cursor.nodes = &net_.node(id).children;
    }
  } else if (scope == platform::kScopeConnected || scope == kScopeRemembered) {
    if (container != nullptr) return neterr::kInvalidParameter;
    if (scope == platform::kScopeConnected) {
      for (const Connection& c : state_.read()) {
        NetResource r;
        r.scope = platform::kScopeConnected;
        r.type = platform::kTypeDisk;
        r.displayType = platform::kDisplayShare;
        r.usage = platform::kUsageConnectable;
        r.localName = std::string(1, c.letter) + ":";
        r.remoteName = c.remote;
        r.provider = net_.node(net_.providers().front()).remote;
        cursor.records.push_back(std::move(r));
      }
    }
  } else {
    return neterr::kInvalidParameter;
  }
  handle = enums_.open(std::move(cursor));
  return neterr::kOk;
}

std::size_t SimNetwork::entries(const Cursor& c) const {
  return c.nodes != nullptr ? c.nodes->size() : c.records.size();
}

bool SimNetwork::wanted(const Cursor& c, std::size_t index) const {
  std::uint32_t type = 0;
  std::uint32_t usage = 0;
  if (c.nodes != nullptr) {
    type = net_.type((*c.nodes)[index]);
    usage = net_.usage((*c.nodes)[index]);
  } else {
    type = c.records[index].type;
    usage = c.records[index].usage;
  }
  // Containers pass any type filter; a disk share does not pass "print".
  const bool typeOk = type == platform::kTypeAny || c.typeFilter == 0 || c.typeFilter == type;
  return typeOk && (c.usageMask == 0 || (usage & c.usageMask) != 0);
}

NetResource SimNetwork::recordAt(const Cursor& c, std::size_t index) const {
  return c.nodes != nullptr ? net_.record((*c.nodes)[index]) : c.records[index];
}

int SimNetwork::enumResource(platform::EnumHandle handle, std::int32_t& count,
                             std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  int code = 0;
  if (faulted(Call::EnumResource, code)) return code;
  Cursor* c = enums_.find(handle);
  if (c == nullptr) return neterr::kInvalidHandle;
  return platform::nextBatch(
      entries(*c), c->next, [&](std::size_t i) { return wanted(*c, i); },
      [&](std::size_t i) { return recordAt(*c, i); }, count, out, bufferSize);
}

int SimNetwork::closeEnum(platform::EnumHandle handle) {
  int code = 0;
  if (faulted(Call::CloseEnum, code)) return code;
  return enums_.close(handle);
}

}  // namespace quilbert::sim
