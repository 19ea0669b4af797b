// Listing the network for the browser and the report: the provider, its
// workgroups and groups of servers, a server's shares, and the letters.
#include <libsmbclient.h>

#include <cerrno>

#include "platform/log.h"
#include "platform/smb/mdns.h"
#include "platform/smb/smb_names.h"
#include "platform/smb/smb_network.h"
#include "platform/smb/smbclient_library.h"

namespace quilbert::smb {

using platform::NetResource;
namespace neterr = platform::neterr;

namespace {

// The mDNS browse is one short look: announcements already cached come at once.
constexpr int kMdnsWaitMs = 1000;

// An entry of the global net, under the provider `provider`.
NetResource globalRecord(const std::string& provider, std::uint32_t display, std::string remote,
                         std::string comment) {
  NetResource r;
  r.scope = platform::kScopeGlobalNet;
  r.displayType = display;
  r.type = display == platform::kDisplayShare ? platform::kTypeDisk : platform::kTypeAny;
  r.usage =
      display == platform::kDisplayShare ? platform::kUsageConnectable : platform::kUsageContainer;
  r.remoteName = std::move(remote);
  if (!comment.empty()) r.comment = std::move(comment);
  r.provider = provider;
  return r;
}

}  // namespace

int SmbNetwork::listing(const std::string& url, std::vector<ListEntry>& out) {
  if (std::string why; smbClientCalls(&why) == nullptr) {
    if (!toldMissing_) platform::logLine("cannot list the network: " + why);
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

void SmbNetwork::connectedRecords(std::vector<NetResource>& out) const {
  const auto entries = drives_.readAll();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].kind != LetterEntry::Kind::Share) continue;
    NetResource r;
    r.scope = platform::kScopeConnected;
    r.type = platform::kTypeDisk;
    r.displayType = platform::kDisplayShare;
    r.usage = platform::kUsageConnectable;
    r.localName = std::string(1, static_cast<char>('A' + i)) + ":";
    r.remoteName = remoteName(entries[i].link);
    r.provider = providerName();
    out.push_back(std::move(r));
  }
}

int SmbNetwork::serverShares(const NetResource& container, const std::string& provider,
                             std::vector<NetResource>& out) {
  const std::string remote = container.remoteName.value_or("");
  std::string server;
  std::string share;
  std::string folder;
  if (parseUnc(remote, server, share, folder)) return neterr::kNotContainer;
  server = remote.substr(2);
  if (server.empty() || server.find('\\') != std::string::npos) return neterr::kBadNetPath;
  // A computer found by discovery is reached at the address it answered
  // from: its name may be known to no resolver here.
  if (const std::string address = found_.addressOf(container); !address.empty()) {
    server = address;
  }
  const Reached reached = reach(server);
  if (reached.code != neterr::kOk && reached.code != kUnresolved) return reached.code;
  const std::string& host = reached.address.empty() ? server : reached.address;
  std::vector<ListEntry> entries;
  if (const int code = listing(serverUrl(host), entries); code != neterr::kOk) {
    return reached.code == kUnresolved && code == neterr::kNetworkUnreachable ? neterr::kBadNetPath
                                                                              : code;
  }
  for (const ListEntry& e : entries) {
    if (e.type != SMBC_FILE_SHARE || e.name.empty() || e.name.back() == '$') continue;
    out.push_back(
        globalRecord(provider, platform::kDisplayShare, remote + "\\" + e.name, e.comment));
  }
  return neterr::kOk;
}

int SmbNetwork::globalRecords(const NetResource* container, std::vector<NetResource>& out) {
  const std::string provider = providerName();
  const std::string others = otherServersName();
  std::vector<ListEntry> entries;
  const std::string remote = container != nullptr ? container->remoteName.value_or("") : "";
  if (container == nullptr) {
    out.push_back(globalRecord(provider, platform::kDisplayNetwork, provider, ""));
  } else if (found_.children(*container, out)) {
    // the workgroups and domains found, or a group's computers
  } else if (remote.rfind("\\\\", 0) == 0) {
    return serverShares(*container, provider, out);
  } else if (container->displayType == platform::kDisplayNetwork || remote == provider) {
    if (listing("smb://", entries) == neterr::kOk) {
      for (const ListEntry& e : entries) {
        if (e.type == SMBC_WORKGROUP) {
          out.push_back(globalRecord(provider, platform::kDisplayDomain, e.name, e.comment));
        }
      }
    }
    // A group of servers, not a domain: the report heads it as such.
    out.push_back(globalRecord(provider, platform::kDisplayGroup, others, ""));
    if (auto found = found_.container()) out.push_back(std::move(*found));
  } else if (remote == others) {
    for (const std::string& server : otherServers()) {
      out.push_back(globalRecord(provider, platform::kDisplayServer, "\\\\" + server, ""));
    }
  } else if (!remote.empty()) {
    if (const int code = listing("smb://" + uriPart(remote), entries); code != neterr::kOk) {
      return code;
    }
    for (const ListEntry& e : entries) {
      if (e.type == SMBC_SERVER) {
        out.push_back(globalRecord(provider, platform::kDisplayServer, "\\\\" + e.name, e.comment));
      }
    }
  } else {
    return neterr::kInvalidParameter;
  }
  return neterr::kOk;
}

int SmbNetwork::openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                         const NetResource* container, platform::EnumHandle& handle) {
  constexpr std::uint32_t kScopeRemembered = 3;
  if (type > 2) return neterr::kInvalidParameter;
  Cursor cursor;
  if (scope == platform::kScopeConnected || scope == kScopeRemembered) {
    if (container != nullptr) return neterr::kInvalidParameter;
    if (scope == platform::kScopeConnected) connectedRecords(cursor.records);
    handle = enums_.open(std::move(cursor));
    return neterr::kOk;
  }
  if (scope != platform::kScopeGlobalNet) return neterr::kInvalidParameter;
  if (const int code = globalRecords(container, cursor.records); code != neterr::kOk) return code;
  // Containers pass any type filter; only disk shares are ever listed.
  const std::uint32_t mask = usage & (platform::kUsageConnectable | platform::kUsageContainer);
  std::erase_if(cursor.records, [&](const NetResource& r) {
    const bool typeOk = r.type == platform::kTypeAny || type == 0 || type == r.type;
    return !typeOk || (mask != 0 && (r.usage & mask) == 0);
  });
  handle = enums_.open(std::move(cursor));
  return neterr::kOk;
}

int SmbNetwork::enumResource(platform::EnumHandle handle, std::int32_t& count,
                             std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  Cursor* c = enums_.find(handle);
  if (c == nullptr) return neterr::kInvalidHandle;
  return platform::nextBatch(c->records, c->next, count, out, bufferSize);
}

int SmbNetwork::closeEnum(platform::EnumHandle handle) {
  return enums_.close(handle);
}

}  // namespace quilbert::smb
