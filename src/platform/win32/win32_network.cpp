#include "platform/win32/win32_network.h"

// winsock2.h must come before windows.h.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// winnetwk.h needs the types of windows.h first.
#include <winnetwk.h>
// lm.h needs the types of windows.h first.
#include <lm.h>

#include <algorithm>
#include <optional>

#include "platform/network_listing.h"
#include "platform/utf8.h"
#include "platform/win32/win32_text.h"

namespace quilbert::platform {

namespace {

// The kind of a share, without its special and temporary bits.
constexpr DWORD kShareKind = 0xff;

// A name with no ANSI form cannot cross the A calls intact.
constexpr int kNoAnsiForm = ERROR_NO_UNICODE_TRANSLATION;

// mpr is asked for this much at a time, whatever the caller offers: Wine's
// mpr faults when a record does not fit the buffer it is given, so records
// are read into a buffer far larger than any record and handed out from
// here in the caller's batch sizes.
constexpr DWORD kReadBuffer = 64U * 1024U;

// Whether the resolver takes `name` to `address` (numeric, perhaps with a
// "%zone"): only then may a found computer's shares go by its name, which the
// computer chose itself; otherwise they go by the address it answered from.
bool nameReaches(const std::string& name, const std::string& address) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  const std::string wanted = address.substr(0, address.find('%'));
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  bool reaches = false;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0) {
    for (const addrinfo* a = found; a != nullptr && !reaches; a = a->ai_next) {
      char host[INET6_ADDRSTRLEN] = {};
      const void* raw = a->ai_family == AF_INET
                            ? static_cast<const void*>(
                                  &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)
                            : static_cast<const void*>(
                                  &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr);
      reaches = inet_ntop(a->ai_family, raw, host, sizeof host) != nullptr && wanted == host;
    }
    freeaddrinfo(found);
  }
  WSACleanup();
  return reaches;
}

// An address as a UNC path's host: IPv6 in the literal form Windows reads
// ("fe80--1s3.ipv6-literal.net").
std::string uncHost(std::string address) {
  if (address.find(':') == std::string::npos) return address;
  std::replace(address.begin(), address.end(), ':', '-');
  std::replace(address.begin(), address.end(), '%', 's');
  return address + ".ipv6-literal.net";
}

// The strings of a NETRESOURCEA, kept alive while mpr reads them.
struct AnsiResource {
  std::optional<std::string> local, remote, comment, provider;
  NETRESOURCEA record{};
  bool ok = true;

  explicit AnsiResource(const NetResource& r) {
    auto convert = [&](const std::optional<std::string>& in, std::optional<std::string>& out) {
      if (!in) return;
      out = win32::toAnsi(*in);
      if (!out) ok = false;
    };
    convert(r.localName, local);
    convert(r.remoteName, remote);
    convert(r.comment, comment);
    convert(r.provider, provider);
    record.dwScope = r.scope;
    record.dwType = r.type;
    record.dwDisplayType = r.displayType;
    record.dwUsage = r.usage;
    auto ptr = [](std::optional<std::string>& s) { return s ? s->data() : nullptr; };
    record.lpLocalName = ptr(local);
    record.lpRemoteName = ptr(remote);
    record.lpComment = ptr(comment);
    // An empty provider means "any", as mpr takes a null one.
    record.lpProvider = provider && !provider->empty() ? provider->data() : nullptr;
  }
};

std::optional<std::string> text(const char* s) {
  if (s == nullptr) return std::nullopt;
  return win32::fromAnsi(s);
}

NetResource fromRecord(const NETRESOURCEA& r) {
  NetResource out;
  out.scope = r.dwScope;
  out.type = r.dwType;
  out.displayType = r.dwDisplayType;
  out.usage = r.dwUsage;
  out.localName = text(r.lpLocalName);
  out.remoteName = text(r.lpRemoteName);
  out.comment = text(r.lpComment);
  out.provider = text(r.lpProvider);
  return out;
}

std::string upperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

Win32Network::~Win32Network() {
  for (auto& [id, e] : enums_) {
    if (e.handle != nullptr) WNetCloseEnum(e.handle);
  }
}

std::uint32_t Win32Network::recordSize(const NetResource& r) {
  auto size = static_cast<std::uint32_t>(sizeof(NETRESOURCEA));
  for (const auto* s : {&r.localName, &r.remoteName, &r.comment, &r.provider}) {
    if (!s->has_value()) continue;
    const auto ansi = win32::toAnsi(**s);
    size += static_cast<std::uint32_t>((ansi ? ansi->size() : (*s)->size()) + 1);
  }
  return size;
}

int Win32Network::addConnection(const NetResource& resource, const std::string& password,
                                const std::string& userName, std::uint32_t flags) {
  AnsiResource r(resource);
  const auto pass = win32::toAnsi(password);
  const auto user = win32::toAnsi(userName);
  if (!r.ok || !pass || !user) return kNoAnsiForm;
  // A login without a password: NULL, so that the SMB client takes the
  // password the Credential Manager keeps for the server.
  const char* given = password.empty() && !userName.empty() ? nullptr : pass->c_str();
  return static_cast<int>(WNetAddConnection2A(&r.record, given, user->c_str(), flags));
}

std::string Win32Network::uncarried(std::string_view text) const {
  return utf8::refusedCharacters(
      text, [](std::string_view c, char32_t) { return !win32::toAnsi(c).has_value(); });
}

int Win32Network::cancelConnection(const std::string& name, std::uint32_t flags, bool force) {
  const auto ansi = win32::toAnsi(name);
  if (!ansi) return kNoAnsiForm;
  return static_cast<int>(WNetCancelConnection2A(ansi->c_str(), flags, force ? TRUE : FALSE));
}

int Win32Network::getUser(const std::string& localName, std::string& buffer,
                          std::uint32_t& length) {
  const auto local = win32::toAnsi(localName);
  if (!local) return kNoAnsiForm;
  DWORD size = 256;
  std::string ansi(size, '\0');
  DWORD rc = WNetGetUserA(local->empty() ? nullptr : local->c_str(), ansi.data(), &size);
  if (rc == ERROR_MORE_DATA) {
    ansi.assign(size, '\0');
    rc = WNetGetUserA(local->empty() ? nullptr : local->c_str(), ansi.data(), &size);
  }
  if (rc != NO_ERROR) return static_cast<int>(rc);
  const std::string name = win32::fromAnsi(ansi.c_str());
  // The caller's buffer and length are in the program's UTF-8.
  const auto need = static_cast<std::uint32_t>(name.size() + 1);
  if (length < need) {
    length = need;
    return static_cast<int>(ERROR_MORE_DATA);
  }
  if (buffer.size() < need) buffer.resize(need);
  buffer.replace(0, need, name.c_str(), need);
  return NO_ERROR;
}

int Win32Network::getConnection(const std::string& localName, std::string& remoteName) {
  remoteName.clear();
  const auto local = win32::toAnsi(localName);
  if (!local) return kNoAnsiForm;
  DWORD size = MAX_PATH;
  std::string remote(size, '\0');
  DWORD rc = WNetGetConnectionA(local->c_str(), remote.data(), &size);
  if (rc == ERROR_MORE_DATA) {
    remote.assign(size, '\0');
    rc = WNetGetConnectionA(local->c_str(), remote.data(), &size);
  }
  if (rc == NO_ERROR) {
    remoteName = win32::fromAnsi(remote.c_str());
    return NO_ERROR;
  }
  if (rc != ERROR_BAD_DEVICE) return static_cast<int>(rc);
  // Wine's mpr answers "bad device" for every letter a network provider
  // connected (it asks only its own drive table): the providers' list of
  // connections, which every mpr keeps, answers instead.
  std::vector<NetResource> connections;
  listConnections(*this, connections);
  const std::string wanted = upperAscii(localName);
  int found = ERROR_NOT_CONNECTED;
  for (const auto& r : connections) {
    if (r.localName && upperAscii(*r.localName) == wanted && r.remoteName) {
      remoteName = *r.remoteName;
      found = NO_ERROR;
    }
  }
  return found;
}

int Win32Network::openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                           const NetResource* container, EnumHandle& handle) {
  handle = 0;
  std::optional<AnsiResource> parent;
  if (container != nullptr) {
    parent.emplace(*container);
    if (!parent->ok) return kNoAnsiForm;
  }
  if (container != nullptr && FoundComputers::owns(*container))
    return openFound(*container, handle);
  HANDLE h = nullptr;
  const DWORD rc = WNetOpenEnumA(scope, type, usage, parent ? &parent->record : nullptr, &h);
  const bool topLevel = container == nullptr && scope == RESOURCE_GLOBALNET;
  auto found = topLevel ? found_.container() : std::nullopt;
  if (rc != NO_ERROR && !found) return static_cast<int>(rc);
  Enumeration e;
  // No network of mpr's: the computers found are all there is.
  e.handle = rc == NO_ERROR ? h : nullptr;
  e.finished = rc != NO_ERROR;
  e.topLevel = topLevel;
  e.last = std::move(found);
  handle = next_++;
  enums_.emplace(handle, std::move(e));
  return NO_ERROR;
}

int Win32Network::fill(Enumeration& e) {
  std::vector<unsigned char> buffer(kReadBuffer);
  DWORD count = static_cast<DWORD>(-1);
  DWORD size = kReadBuffer;
  const DWORD rc = WNetEnumResourceA(e.handle, &count, buffer.data(), &size);
  if (rc == ERROR_NO_MORE_ITEMS) {
    e.finished = true;
    return NO_ERROR;
  }
  if (rc != NO_ERROR) return static_cast<int>(rc);
  const auto* records = reinterpret_cast<const NETRESOURCEA*>(buffer.data());
  std::size_t added = 0;
  for (DWORD i = 0; i < count; ++i) {
    NetResource r = fromRecord(records[i]);
    if (e.topLevel) {
      // Wine's mpr can hand the list of providers over again and again at
      // the top level: a provider already given ends the list.
      const std::string key = r.provider.value_or("") + '\n' + r.remoteName.value_or("");
      if (std::find(e.seen.begin(), e.seen.end(), key) != e.seen.end()) {
        e.finished = true;
        break;
      }
      e.seen.push_back(key);
    }
    e.ready.push_back(std::move(r));
    ++added;
  }
  if (count == 0 && added == 0) e.finished = true;
  return NO_ERROR;
}

int Win32Network::enumResource(EnumHandle handle, std::int32_t& count,
                               std::vector<NetResource>& out, std::uint32_t& bufferSize) {
  auto it = enums_.find(handle);
  if (it == enums_.end()) return ERROR_INVALID_HANDLE;
  Enumeration& e = it->second;
  const std::int32_t wanted = count;
  count = 0;
  if (e.ready.empty() && !e.finished) {
    if (const int rc = fill(e); rc != NO_ERROR) return rc;
  }
  if (e.ready.empty() && e.finished && e.last) {
    e.ready.push_back(std::move(*e.last));
    e.last.reset();
  }
  if (e.ready.empty()) return ERROR_NO_MORE_ITEMS;
  std::uint32_t used = 0;
  while (!e.ready.empty() && (wanted < 0 || count < wanted)) {
    const std::uint32_t size = recordSize(e.ready.front());
    if (used + size > bufferSize) break;
    used += size;
    out.push_back(std::move(e.ready.front()));
    e.ready.pop_front();
    ++count;
  }
  if (count == 0) {
    bufferSize = recordSize(e.ready.front());
    return ERROR_MORE_DATA;
  }
  return NO_ERROR;
}

// The container of the computers found, a group of them, or the shares of
// one (NetShareEnum at the address it answered from, which discovery vetted;
// never at the name it gave, which would send the user's logon wherever
// that name leads).
int Win32Network::openFound(const NetResource& container, EnumHandle& handle) {
  Enumeration e;
  e.finished = true;
  std::vector<NetResource> children;
  if (!found_.children(container, children)) {
    const std::string address = found_.addressOf(container);
    if (address.empty()) return ERROR_BAD_NET_NAME;
    std::wstring at = win32::widen(address);
    const std::string named = container.remoteName.value_or("");
    const std::string server =
        nameReaches(named.substr(2), address) ? named : "\\\\" + uncHost(address);
    SHARE_INFO_1* shares = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS rc = NetShareEnum(at.data(), 1, reinterpret_cast<LPBYTE*>(&shares),
                                           MAX_PREFERRED_LENGTH, &read, &total, nullptr);
    if (rc != NERR_Success && rc != ERROR_MORE_DATA) return static_cast<int>(rc);
    for (DWORD i = 0; i < read; ++i) {
      const std::string name = win32::narrow(shares[i].shi1_netname);
      // Disk shares only; the administrative ones ("C$") are no one's drive.
      if ((shares[i].shi1_type & kShareKind) != STYPE_DISKTREE || name.empty() ||
          name.back() == '$') {
        continue;
      }
      NetResource r;
      r.scope = RESOURCE_GLOBALNET;
      r.type = RESOURCETYPE_DISK;
      r.displayType = RESOURCEDISPLAYTYPE_SHARE;
      r.usage = RESOURCEUSAGE_CONNECTABLE;
      r.remoteName = server + "\\" + name;
      if (shares[i].shi1_remark != nullptr && shares[i].shi1_remark[0] != 0) {
        r.comment = win32::narrow(shares[i].shi1_remark);
      }
      r.provider = kFoundProvider;
      children.push_back(std::move(r));
    }
    if (shares != nullptr) NetApiBufferFree(shares);
  }
  e.ready.assign(children.begin(), children.end());
  handle = next_++;
  enums_.emplace(handle, std::move(e));
  return NO_ERROR;
}

int Win32Network::closeEnum(EnumHandle handle) {
  auto it = enums_.find(handle);
  if (it == enums_.end()) return ERROR_INVALID_HANDLE;
  const DWORD rc = it->second.handle != nullptr ? WNetCloseEnum(it->second.handle) : NO_ERROR;
  enums_.erase(it);
  return static_cast<int>(rc);
}

}  // namespace quilbert::platform
