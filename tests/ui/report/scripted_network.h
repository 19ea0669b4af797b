// A small scripted network service for the report's tests: a tree of
// resources answering the batched enumeration with the service's codes, with
// a chosen batch split, containers that refuse to open, and a log of what was
// asked. Also the drive letters and a test program around them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/drives.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/network.h"
#include "ui/common/program.h"

namespace quilbert::testing {

using platform::NetResource;

inline NetResource resource(std::uint32_t displayType, bool container,
                            std::optional<std::string> remote,
                            std::optional<std::string> comment = std::nullopt) {
  NetResource r;
  r.scope = platform::kScopeGlobalNet;
  r.type = platform::kTypeAny;
  r.displayType = displayType;
  r.usage = container ? platform::kUsageContainer : platform::kUsageConnectable;
  r.remoteName = std::move(remote);
  r.comment = std::move(comment);
  r.provider = "Test Network";
  return r;
}

class ScriptedNetwork : public platform::Network {
 public:
  static constexpr int kTop = -1;

  // Adds a resource under `parent` (kTop: the top of the network); its id.
  int add(int parent, NetResource r, int openFailure = 0) {
    nodes_.push_back({std::move(r), {}, openFailure});
    const int id = static_cast<int>(nodes_.size()) - 1;
    (parent == kTop ? top_ : nodes_[static_cast<std::size_t>(parent)].children).push_back(id);
    byKey_[key(nodes_.back().record)] = id;
    return id;
  }

  // Script knobs.
  int topOpenFailure = 0;              // e.g. 1222: no network at all
  int maxPerBatch = 0;                 // 0: as many as the buffer takes
  bool successWithEveryBatch = false;  // 0 with each batch, 259 once done
  int readFailure = 0;                 // every read fails with it (the open succeeds)
  std::function<void(const NetResource* container)> onOpen;
  std::string userBuffer = "tester";
  int getUserResult = 0;

  // What was asked.
  std::vector<std::string> opened;  // remote names, "<top>" for the top
  // Per container read ("<top>" for the top): the counts asked, in order.
  std::map<std::string, std::vector<std::int32_t>> requestedCounts;
  std::vector<std::uint32_t> announcedSizes;
  int openHandles = 0;

  int addConnection(const NetResource&, const std::string&, const std::string&,
                    std::uint32_t) override {
    return platform::neterr::kNoNetwork;
  }
  int cancelConnection(const std::string&, std::uint32_t, bool) override {
    return platform::neterr::kNotConnected;
  }
  int getUser(const std::string&, std::string& buffer, std::uint32_t&) override {
    if (getUserResult == 0) buffer = userBuffer;
    return getUserResult;
  }
  int getConnection(const std::string&, std::string&) override {
    return platform::neterr::kNotConnected;
  }

  int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
               const NetResource* container, platform::EnumHandle& handle) override {
    if (scope != platform::kScopeGlobalNet || type != platform::kTypeAny || usage != 0) {
      return platform::neterr::kInvalidParameter;
    }
    opened.push_back(container ? container->remoteName.value_or("<null>") : "<top>");
    if (onOpen) onOpen(container);
    const std::vector<int>* children = &top_;
    if (container == nullptr) {
      if (topOpenFailure != 0) return topOpenFailure;
    } else {
      auto it = byKey_.find(key(*container));
      if (it == byKey_.end()) return platform::neterr::kBadNetName;
      const Node& n = nodes_[static_cast<std::size_t>(it->second)];
      if (n.record != *container) return platform::neterr::kBadNetName;
      if (n.openFailure != 0) return n.openFailure;
      children = &n.children;
    }
    handle = nextHandle_++;
    cursors_[handle] = {children, 0, opened.back()};
    ++openHandles;
    return 0;
  }

  int enumResource(platform::EnumHandle handle, std::int32_t& count, std::vector<NetResource>& out,
                   std::uint32_t& bufferSize) override {
    announcedSizes.push_back(bufferSize);
    auto it = cursors_.find(handle);
    if (it == cursors_.end()) return platform::neterr::kInvalidHandle;
    requestedCounts[it->second.name].push_back(count);
    if (count == 0 || count < -1) return platform::neterr::kInvalidParameter;
    Cursor& c = it->second;
    out.clear();
    if (readFailure != 0) return readFailure;
    if (c.next == c.nodes->size()) {
      count = 0;
      return platform::neterr::kNoMoreItems;
    }
    std::uint32_t used = 0;
    while (c.next < c.nodes->size() && (count == -1 || std::cmp_less(out.size(), count)) &&
           (maxPerBatch == 0 || std::cmp_less(out.size(), maxPerBatch))) {
      const NetResource& r = nodes_[static_cast<std::size_t>((*c.nodes)[c.next])].record;
      const std::uint32_t need = platform::netResourceSize(r);
      if (used + need > bufferSize) {
        if (out.empty()) {
          bufferSize = need;
          count = 0;
          return platform::neterr::kMoreData;
        }
        break;
      }
      used += need;
      out.push_back(r);
      ++c.next;
    }
    count = static_cast<std::int32_t>(out.size());
    if (successWithEveryBatch) return 0;
    return c.next < c.nodes->size() ? platform::neterr::kMoreData : 0;
  }

  int closeEnum(platform::EnumHandle handle) override {
    if (cursors_.erase(handle) == 0) return platform::neterr::kInvalidHandle;
    --openHandles;
    return 0;
  }

 private:
  struct Node {
    NetResource record;
    std::vector<int> children;
    int openFailure = 0;
  };
  struct Cursor {
    const std::vector<int>* nodes;
    std::size_t next;
    std::string name;
  };
  static std::string key(const NetResource& r) {
    return r.remoteName.value_or(std::string(1, '\0'));
  }

  std::vector<Node> nodes_;
  std::vector<int> top_;
  std::unordered_map<std::string, int> byKey_;
  std::map<platform::EnumHandle, Cursor> cursors_;
  platform::EnumHandle nextHandle_ = 1;
};

// Drive letters as a table; a letter missing from it names no drive.
class ScriptedDrives : public platform::Drives {
 public:
  std::map<char, platform::DriveInfo> table;
  void network(char letter, std::string share) { table[letter] = {letter, 3, std::move(share)}; }
  void local(char letter, int type) { table[letter] = {letter, type, ""}; }
  std::optional<platform::DriveInfo> getDrive(char letter) override {
    auto it = table.find(letter);
    if (it == table.end()) return std::nullopt;
    return it->second;
  }
};

// The two services these windows never use, answering "nothing there".
class AbsentRegistry : public platform::Registry {
 public:
  int openKey(std::uint32_t, const std::string&, std::uint32_t, platform::RegKey&) override {
    return platform::regerr::kFileNotFound;
  }
  int queryValue(platform::RegKey, const std::string&, std::uint32_t*, std::string*,
                 std::uint32_t&) override {
    return platform::regerr::kInvalidHandle;
  }
  int setValue(platform::RegKey, const std::string&, std::uint32_t, const std::string&) override {
    return platform::regerr::kInvalidHandle;
  }
  int deleteValue(platform::RegKey, const std::string&) override {
    return platform::regerr::kInvalidHandle;
  }
  int closeKey(platform::RegKey) override { return platform::regerr::kInvalidHandle; }
  int createKey(std::uint32_t, const std::string&) override { return 5; }  // access denied
};

class IdleProcess : public platform::Process {
 public:
  std::string appDir() override { return "/nonexistent/"; }
  std::string exeFileName() override { return "quilbert"; }
  std::string commandLine() override { return ""; }
  bool claimSingleInstance() override { return true; }
  void listenForActivation(std::function<void()>) override {}
  void tellConnectionsChanged() override {}
  void listenForConnectionChanges(std::function<void()>) override {}
  std::string replaceFile(const std::string&, const std::string&, bool) override {
    return "read-only test process";
  }
};

// One program: headless toolkit, scripted services, and a catalogue whose
// entry n reads "m<n>" so that every text can be traced to its entry.
struct ScriptedProgram {
  headless::HeadlessToolkit tk;
  ScriptedNetwork net;
  ScriptedDrives drives;
  AbsentRegistry registry;
  IdleProcess process;
  app::Services svc{net, drives, registry, process};
  ui::ProgramState g{tk, svc};

  ScriptedProgram() {
    for (int n = 0; n < app::kCatalogueSize; ++n) {
      char text[8];  // not "m" + to_string(n): GCC 12 warns falsely on that at -O2
      std::snprintf(text, sizeof text, "m%d", n);
      g.texts.setEntry(n, text);
    }
  }
};

}  // namespace quilbert::testing
