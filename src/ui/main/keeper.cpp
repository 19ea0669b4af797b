#include "ui/main/keeper.h"

#include <algorithm>
#include <utility>

#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"
#include "ui/report/server_probe.h"

namespace quilbert::ui {

namespace {
// A change met while a window waits for the person is looked at after it.
constexpr int kBusyRetryMs = 2000;
// A server switched back on changes nothing on this machine: it is looked for
// after these delays, the last one repeated.
constexpr std::array<int, 4> kLaterDelaysMs = {60'000, 120'000, 300'000, 900'000};
}  // namespace

LetterKeeper::LetterKeeper(app::Globals& g, forms::Form& iconOwner, int iconId, std::string title)
    : g_(g),
      iconOwner_(iconOwner),
      iconId_(iconId),
      title_(std::move(title)),
      clock_(g.svc.toolkit, "frmKeeper"),
      retry_(clock_.add<forms::Timer>("Retry")),
      later_(clock_.add<forms::Timer>("Later")) {
  retry_.setTimerEnabled(false);
  retry_.onTick = [this] { retryDue(); };
  later_.setTimerEnabled(false);
  later_.onTick = [this] { laterDue(); };
}

LetterKeeper::~LetterKeeper() = default;

void LetterKeeper::start(const std::vector<std::string>& refused,
                         const std::vector<std::string>& told) {
  told_.insert(told.begin(), told.end());
  clock_.load();
  const auto items = net::automaticItems(g_);
  for (const auto& item : items) {
    for (const auto& letter : refused) {
      if (item.active && item.localName == letter) {
        refused_.note(item, platform::neterr::kLogonFailure);
      }
    }
  }
  if (auto* events = g_.svc.networkEvents) {
    heard_ = events->subscribe([this](platform::NetworkEvent) { check(); });
  }
  scheduleLater();
  showCount();
}

void LetterKeeper::setKeeping(bool keeping) {
  keeping_ = keeping;
  if (!keeping_) {
    // The person took over: nothing of this pass is told.
    retry_.setTimerEnabled(false);
    later_.setTimerEnabled(false);
    pass_.reset();
  }
  // Connected by hand: every letter is kept again.
  if (keeping_) {
    seen_.clear();
    scheduleLater();
  }
  showCount();
}

LetterKeeper::LetterState LetterKeeper::stateOf(const net::PassItem& item) {
  std::string remote;
  const int code = g_.svc.network.getConnection(item.localName, remote);
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

void LetterKeeper::check() {
  if (!keeping_ || g_.ResidentMode != "ores") return;
  // No attempt inside the person's Test or a dialog: looked at again after it.
  if (g_.svc.toolkit.activeModal() != nullptr) {
    if (!pass_) retry_.setInterval(kBusyRetryMs);
    retry_.setTimerEnabled(true);
    return;
  }
  if (pass_) {
    pass_->networkChanged();
    if (!pass_->waiting()) passOver();
    return;
  }
  std::array<net::PassItem, 27> items{};
  if (!missingItems(items)) {
    showCount();
    return;
  }
  net::PassObserver& observer = *this;
  pass_ = std::make_unique<net::ConnectPass>(g_, items, net::PassKind::Resident, observer,
                                             g_.NetworkWaitMs, &refused_);
  if (!pass_->start()) {
    passOver();
    return;
  }
  retry_.setInterval(pass_->nextRetryMs());
  retry_.setTimerEnabled(true);
  showCount();  // some came back, others wait
}

bool LetterKeeper::missingItems(std::array<net::PassItem, 27>& items) {
  items = net::automaticItems(g_);
  bool any = false;
  for (auto& item : items) {
    item.active =
        item.active && refused_.refused(item) == 0 && stateOf(item) == LetterState::Missing;
    any = any || item.active;
  }
  return any;
}

void LetterKeeper::scheduleLater() {
  if (later_.timerEnabled() || !keeping_) return;
  later_.setInterval(kLaterDelaysMs[std::min(laterStep_, kLaterDelaysMs.size() - 1)]);
  later_.setTimerEnabled(true);
}

void LetterKeeper::laterDue() {
  if (!keeping_ || g_.ResidentMode != "ores") {
    later_.setTimerEnabled(false);
    return;
  }
  // Not while the person is in a window, nor inside a pass: looked at after.
  const bool personBusy = g_.svc.toolkit.activeModal() != nullptr ||
                          (g_.MainWindow != nullptr && g_.MainWindow->visible());
  if (personBusy || pass_) {
    later_.setInterval(kBusyRetryMs);
    return;
  }
  later_.setTimerEnabled(false);
  std::array<net::PassItem, 27> items{};
  if (!missingItems(items)) {
    // All there: their servers are looked at now and then, for the tip.
    allThere_ = true;
    laterStep_ = kLaterDelaysMs.size() - 1;
    probeServers();
    showCount();
    scheduleLater();
    return;
  }
  ++laterStep_;
  // One try of each letter, each within the network's bound: no waiting.
  net::PassObserver& observer = *this;
  net::ConnectPass(g_, items, net::PassKind::Resident, observer, 0).run();
}

void LetterKeeper::retryDue() {
  if (!pass_) {
    retry_.setTimerEnabled(false);
    check();
    return;
  }
  if (g_.svc.toolkit.activeModal() != nullptr) return;  // the same delay once more
  pass_->retryDue();
  if (pass_->waiting()) {
    retry_.setInterval(pass_->nextRetryMs());
  } else {
    passOver();
  }
}

void LetterKeeper::passOver() {
  retry_.setTimerEnabled(false);
  const std::unique_ptr<net::ConnectPass> pass = std::move(pass_);
  pass->finish();
}

void LetterKeeper::finished(const net::PassSummary& summary) {
  for (const auto& item : net::automaticItems(g_)) {
    if (item.active && stateOf(item) == LetterState::Connected) told_.erase(item.localName);
  }
  for (const auto& f : summary.notConnected) {
    const std::string& letter = f.item->localName;
    // Told once, until the letter has been connected again.
    if (!told_.insert(letter).second) continue;
    g_.svc.toolkit.notify(g_.msg(app::kMsgLetterLost),
                          f.item->label + " " + f.item->path + "\r\n" + f.sentence);
  }
  if (!summary.notConnected.empty() && allThere_) {
    // Missing again: the delays start over.
    allThere_ = false;
    laterStep_ = 0;
    later_.setTimerEnabled(false);
  }
  scheduleLater();
  showCount();
}

void LetterKeeper::probeServers() {
  silent_.clear();
  const platform::NetworkPass pass(g_.svc.network);
  ServerProbe probe(g_.svc.network);
  for (const auto& item : net::automaticItems(g_)) {
    if (item.active && probe.silent(item.path)) silent_.insert(item.localName);
  }
}

void LetterKeeper::showCount() {
  int active = 0;
  int up = 0;
  int silent = 0;
  for (const auto& item : net::automaticItems(g_)) {
    if (!item.active) continue;
    ++active;
    if (stateOf(item) != LetterState::Connected) continue;
    // Connected, but to a server that was gone at the last look: told apart.
    if (silent_.count(item.localName) != 0) {
      ++silent;
    } else {
      ++up;
    }
  }
  std::string tip =
      title_ + " - " + g_.msg(60) + " : " + std::to_string(up) + "/" + std::to_string(active);
  if (silent > 0) tip += " (+" + std::to_string(silent) + " " + g_.msg(app::kMsgServerSilent) + ")";
  g_.svc.toolkit.setTrayTip(iconOwner_, iconId_, tip);
}

}  // namespace quilbert::ui
