// A network provider for mpr that serves a simulated network: the Windows
// service tests (and quilbert.exe under Wine) call the real WNet* functions
// and get the simulated network's answers, codes unchanged. The network
// description is the file named by QUILBERT_TEST_NETWORK (UTF-8), its
// connections kept beside it as the simulated network keeps them; without
// it the provider answers "no network".
#include <windows.h>
#include <winnetwk.h>
// wincred.h too.
#include <wincred.h>
// npapi.h needs the types of windows.h first, and declares the entry points
// without C linkage.
extern "C" {
#include <npapi.h>
}

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/sim/sim_network.h"
#include "platform/win32/win32_text.h"

namespace {

using quilbert::platform::NetResource;
namespace win32 = quilbert::platform::win32;

struct Enumeration {
  quilbert::platform::EnumHandle sim = 0;
  std::deque<NetResource> pending;  // read from the network, not given yet
  bool finished = false;
};

struct Provider {
  std::mutex lock;
  std::string file;
  std::filesystem::file_time_type written;
  std::unique_ptr<quilbert::sim::SimNetwork> network;
  std::map<HANDLE, Enumeration> enums;
  std::uintptr_t nextHandle = 1;
};

Provider& provider() {
  static Provider p;
  return p;
}

// The network of the file named now, reopened when the name changes or the
// file is written again: a test changes the network under a running program
// that way (its connections stay in the state file).
quilbert::sim::SimNetwork* network(Provider& p) {
  wchar_t value[4096];
  const DWORD n = GetEnvironmentVariableW(L"QUILBERT_TEST_NETWORK", value, 4096);
  const std::string file = n > 0 && n < 4096 ? win32::narrow(std::wstring_view(value, n)) : "";
  std::error_code ignored;
  const auto written = file.empty() ? std::filesystem::file_time_type{}
                                    : std::filesystem::last_write_time(
                                          quilbert::platform::pathFromUtf8(file), ignored);
  if (file != p.file || written != p.written) {
    p.file = file;
    p.written = written;
    p.network.reset();
    p.enums.clear();
    if (!file.empty()) {
      try {
        p.network = quilbert::sim::SimNetwork::open(quilbert::platform::pathFromUtf8(file));
      } catch (const std::exception&) {
        p.network.reset();
      }
    }
  }
  return p.network.get();
}

std::optional<std::string> text(const wchar_t* s) {
  if (s == nullptr) return std::nullopt;
  return win32::narrow(s);
}

NetResource fromRecord(const NETRESOURCEW& r) {
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

std::size_t wideBytes(const std::optional<std::string>& s) {
  return s ? (win32::widen(*s).size() + 1) * sizeof(wchar_t) : 0;
}

std::size_t recordBytes(const NetResource& r) {
  return sizeof(NETRESOURCEW) + wideBytes(r.localName) + wideBytes(r.remoteName) +
         wideBytes(r.comment) + wideBytes(r.provider);
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD APIENTRY NPGetCaps(DWORD index) {
  switch (index) {
    case WNNC_SPEC_VERSION:
      return WNNC_SPEC_VERSION51;
    case WNNC_NET_TYPE:
      return WNNC_NET_SMB;
    case WNNC_DRIVER_VERSION:
      return 1;
    case WNNC_USER:
      return WNNC_USR_GETUSER;
    case WNNC_CONNECTION:
      return WNNC_CON_ADDCONNECTION | WNNC_CON_CANCELCONNECTION | WNNC_CON_GETCONNECTIONS;
    case WNNC_ENUMERATION:
      return WNNC_ENUM_GLOBAL | WNNC_ENUM_LOCAL;
    case WNNC_START:
      return 1;
    default:
      return 0;
  }
}

__declspec(dllexport) DWORD APIENTRY
    NPAddConnection(LPNETRESOURCEW resource, LPWSTR password, LPWSTR userName) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  if (resource == nullptr) return WN_BAD_POINTER;
  const NetResource r = fromRecord(*resource);
  std::string given = text(password).value_or("");
  // As the SMB client: no password, the Credential Manager's for the server.
  if (password == nullptr && userName != nullptr && *userName != L'\0') {
    const std::string unc = r.remoteName.value_or("");
    const std::wstring server = win32::widen(unc.substr(2, unc.find('\\', 2) - 2));
    PCREDENTIALW c = nullptr;
    if (CredReadW(server.c_str(), CRED_TYPE_DOMAIN_PASSWORD, 0, &c) != FALSE) {
      given = win32::narrow(std::wstring(reinterpret_cast<const wchar_t*>(c->CredentialBlob),
                                         c->CredentialBlobSize / sizeof(wchar_t)));
      CredFree(c);
    }
  }
  return static_cast<DWORD>(net->addConnection(r, given, text(userName).value_or(""), 0));
}

__declspec(dllexport) DWORD APIENTRY NPCancelConnection(LPWSTR name, BOOL force) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  return static_cast<DWORD>(net->cancelConnection(text(name).value_or(""), 0, force != FALSE));
}

__declspec(dllexport) DWORD APIENTRY
    NPGetConnection(LPWSTR localName, LPWSTR remoteName, LPDWORD bufferSize) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  std::string remote;
  const int rc = net->getConnection(text(localName).value_or(""), remote);
  if (rc != 0) return static_cast<DWORD>(rc);
  const std::wstring wide = win32::widen(remote);
  if (*bufferSize < wide.size() + 1) {
    *bufferSize = static_cast<DWORD>(wide.size() + 1);
    return WN_MORE_DATA;
  }
  std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, remoteName);
  return WN_SUCCESS;
}

__declspec(dllexport) DWORD APIENTRY NPGetUser(LPWSTR name, LPWSTR userName, LPDWORD bufferSize) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  std::string buffer(256, '\0');
  std::uint32_t length = 256;
  const int rc = net->getUser(text(name).value_or(""), buffer, length);
  if (rc != 0) return static_cast<DWORD>(rc);
  const std::wstring wide = win32::widen(buffer.c_str());
  if (*bufferSize < wide.size() + 1) {
    *bufferSize = static_cast<DWORD>(wide.size() + 1);
    return WN_MORE_DATA;
  }
  std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, userName);
  return WN_SUCCESS;
}

__declspec(dllexport) DWORD APIENTRY
    NPOpenEnum(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEW container, LPHANDLE handle) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  std::optional<NetResource> parent;
  if (scope == RESOURCE_GLOBALNET) {
    // mpr asks for the provider's own top level with no container, or with
    // the provider's record whose remote name it has taken away.
    parent = container != nullptr ? fromRecord(*container) : NetResource{};
    if (!parent->remoteName) {
      parent->provider = quilbert::sim::kDefaultProvider;
      parent->displayType = quilbert::platform::kDisplayNetwork;
    }
  }
  Enumeration e;
  const int rc = net->openEnum(scope, type, usage, parent ? &*parent : nullptr, e.sim);
  if (rc != 0) return static_cast<DWORD>(rc);
  *handle = reinterpret_cast<HANDLE>(p.nextHandle++);
  p.enums.emplace(*handle, std::move(e));
  return WN_SUCCESS;
}

__declspec(dllexport) DWORD APIENTRY
    NPEnumResource(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* net = network(p);
  if (net == nullptr) return WN_NO_NETWORK;
  auto it = p.enums.find(handle);
  if (it == p.enums.end()) return WN_BAD_HANDLE;
  Enumeration& e = it->second;
  if (e.pending.empty() && !e.finished) {
    std::int32_t all = -1;
    std::uint32_t size = 1U << 20U;
    std::vector<NetResource> batch;
    const int rc = net->enumResource(e.sim, all, batch, size);
    if (rc != 0 && rc != WN_MORE_DATA && rc != WN_NO_MORE_ENTRIES) return static_cast<DWORD>(rc);
    if (rc == WN_NO_MORE_ENTRIES || batch.empty()) e.finished = true;
    e.pending.insert(e.pending.end(), batch.begin(), batch.end());
  }
  if (e.pending.empty()) return WN_NO_MORE_ENTRIES;
  // Records from the start of the buffer, their strings from its end.
  auto* records = static_cast<NETRESOURCEW*>(buffer);
  auto* end = reinterpret_cast<wchar_t*>(static_cast<char*>(buffer) + *bufferSize);
  const DWORD wanted = *count;
  DWORD given = 0;
  std::size_t used = 0;
  while (!e.pending.empty() && (wanted == static_cast<DWORD>(-1) || given < wanted)) {
    const NetResource& r = e.pending.front();
    if (used + recordBytes(r) > *bufferSize) break;
    used += recordBytes(r);
    auto put = [&](const std::optional<std::string>& s) -> wchar_t* {
      if (!s) return nullptr;
      const std::wstring wide = win32::widen(*s);
      end -= wide.size() + 1;
      std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, end);
      return end;
    };
    NETRESOURCEW& out = records[given];
    out.dwScope = r.scope;
    out.dwType = r.type;
    out.dwDisplayType = r.displayType;
    out.dwUsage = r.usage;
    out.lpLocalName = put(r.localName);
    out.lpRemoteName = put(r.remoteName);
    out.lpComment = put(r.comment);
    out.lpProvider = put(r.provider);
    e.pending.pop_front();
    ++given;
  }
  *count = given;
  if (given == 0) {
    *bufferSize = static_cast<DWORD>(recordBytes(e.pending.front()));
    return WN_MORE_DATA;
  }
  return WN_SUCCESS;
}

__declspec(dllexport) DWORD APIENTRY NPCloseEnum(HANDLE handle) {
  Provider& p = provider();
  std::lock_guard<std::mutex> hold(p.lock);
  auto it = p.enums.find(handle);
  if (it == p.enums.end()) return WN_BAD_HANDLE;
  if (p.network) p.network->closeEnum(it->second.sim);
  p.enums.erase(it);
  return WN_SUCCESS;
}

}  // extern "C"
