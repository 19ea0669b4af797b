#include "net/resident_policy.h"

#include <algorithm>

#include "app/text.h"
#include "net/connect_pass.h"

namespace quilbert::net {

namespace {
// A server switched back on changes nothing on this machine: it is looked for
// after these delays, the last one repeated.
constexpr std::array<int, 4> kLaterDelaysMs = {60'000, 120'000, 300'000, 900'000};
}  // namespace

void ResidentPolicy::noteRefused(const std::vector<std::string>& refused) {
  const auto items = automaticItems(config_);
  for (const auto& item : items) {
    for (const auto& letter : refused) {
      if (item.active && item.localName == letter) {
        refused_.note(item, platform::neterr::kLogonFailure);
      }
    }
  }
}

ResidentPolicy::LetterState ResidentPolicy::stateOf(const PassItem& item) {
  std::string remote;
  const int code = network_.getConnection(item.localName, remote);
  if (code == platform::neterr::kOk && app::lowerCase(remote) == app::lowerCase(item.path)) {
    seen_.insert(item.localName);
    return LetterState::Connected;
  }
  // Seen connected, then disconnected outright: someone meant it (the
  // command line, another program). A share that went away is still
  // remembered by its letter.
  if (code == platform::neterr::kNotConnected && seen_.count(item.localName) != 0) {
    return LetterState::Dropped;
  }
  return LetterState::Missing;
}

bool ResidentPolicy::missingItems(std::array<PassItem, 27>& items) {
  items = automaticItems(config_);
  bool any = false;
  for (auto& item : items) {
    item.active =
        item.active && refused_.refused(item) == 0 && stateOf(item) == LetterState::Missing;
    any = any || item.active;
  }
  return any;
}

int ResidentPolicy::laterDelayMs() const {
  return kLaterDelaysMs[std::min(laterStep_, kLaterDelaysMs.size() - 1)];
}

void ResidentPolicy::allFound() {
  allThere_ = true;
  laterStep_ = kLaterDelaysMs.size() - 1;
}

bool ResidentPolicy::startOver() {
  if (!allThere_) return false;
  allThere_ = false;
  laterStep_ = 0;
  return true;
}

}  // namespace quilbert::net
