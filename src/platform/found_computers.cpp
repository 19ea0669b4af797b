#include "platform/found_computers.h"

#include <algorithm>

namespace quilbert::platform {

namespace {

NetResource record(std::uint32_t displayType, std::string remote,
                   std::optional<std::string> comment = std::nullopt) {
  NetResource r;
  r.scope = kScopeGlobalNet;
  r.type = kTypeAny;
  r.displayType = displayType;
  r.usage = kUsageContainer;
  r.remoteName = std::move(remote);
  r.comment = std::move(comment);
  r.provider = kFoundProvider;
  return r;
}

}  // namespace

std::string FoundComputers::containerName() const {
  std::string name = name_ ? name_() : std::string();
  return name.empty() ? kFoundComputers : name;
}

std::optional<NetResource> FoundComputers::container() const {
  if (!find_) return std::nullopt;
  return record(displayType_, containerName());
}

const Discovery& FoundComputers::lastOrFind() {
  if (!last_) last_ = find_ ? find_() : Discovery{};
  return *last_;
}

bool FoundComputers::children(const NetResource& parent, std::vector<NetResource>& out) {
  if (!owns(parent)) return false;
  const std::string name = parent.remoteName.value_or("");
  if (name == containerName() && parent.displayType == displayType_) {
    last_.reset();  // each opening looks again
    std::vector<std::string> groups;
    const Discovery& found = lastOrFind();
    std::optional<std::string> note;
    if (found.more) {
      note = moreNote_ ? moreNote_() : std::string();
      if (note->empty()) note = kMoreAnswered;
    }
    for (const FoundComputer& c : found.computers) {
      if (std::find(groups.begin(), groups.end(), c.group) == groups.end()) {
        groups.push_back(c.group);
        out.push_back(record(kDisplayDomain, c.group, note));
      }
    }
    return true;
  }
  if (parent.displayType != kDisplayDomain) return false;
  for (const FoundComputer& c : lastOrFind().computers) {
    if (c.group == name) out.push_back(record(kDisplayServer, "\\\\" + c.name, c.address));
  }
  return true;
}

std::string FoundComputers::addressOf(const NetResource& computer) {
  if (!owns(computer) || computer.displayType != kDisplayServer) return {};
  const std::string remote = computer.remoteName.value_or("");
  for (const FoundComputer& c : lastOrFind().computers) {
    if ("\\\\" + c.name == remote) return c.address;
  }
  return {};
}

}  // namespace quilbert::platform
