#include "ui/main/keeper.h"

#include <utility>

#include "app/catalogue.h"
#include "net/primitives.h"
#include "net/server_probe.h"
#include "platform/forms/toolkit.h"

namespace quilbert::ui {

namespace {
constexpr auto kConnected = net::ResidentPolicy::LetterState::Connected;
constexpr int kBusyRetryMs = net::ResidentPolicy::kBusyRetryMs;
}  // namespace

LetterKeeper::LetterKeeper(Program& g, forms::Form& iconOwner, int iconId, std::string title)
    : g_(g),
      iconOwner_(iconOwner),
      iconId_(iconId),
      title_(std::move(title)),
      policy_(g.config, g.svc.network),
      driver_(g.scheduler, nullptr),
      busyRetry_(g.scheduler.timer([this] {
        busyRetry_->stop();
        check();
      })),
      later_(g.scheduler.timer([this] { laterDue(); })) {
  // No attempt inside the person's Test or a dialog: the same delay once more.
  driver_.busy = [this] { return g_.toolkit.activeModal() != nullptr; };
}

LetterKeeper::~LetterKeeper() = default;

void LetterKeeper::start(const std::vector<std::string>& refused,
                         const std::vector<std::string>& told) {
  told_.insert(told.begin(), told.end());
  policy_.noteRefused(refused);
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
    driver_.stop();
    busyRetry_->stop();
    later_->stop();
    pass_.reset();
  }
  // Connected by hand: every letter is kept again.
  if (keeping_) {
    policy_.keepAll();
    scheduleLater();
  }
  showCount();
}

void LetterKeeper::check() {
  if (!keeping_ || !g_.config.resident()) return;
  // No attempt inside the person's Test or a dialog: looked at again after it.
  if (g_.toolkit.activeModal() != nullptr) {
    // A waiting pass is held by its driver meanwhile.
    if (!pass_) busyRetry_->start(kBusyRetryMs);
    return;
  }
  if (pass_) {
    pass_->networkChanged();
    if (!pass_->waiting()) passOver();
    return;
  }
  std::array<net::PassItem, 27> items{};
  if (!policy_.missingItems(items)) {
    showCount();
    return;
  }
  net::PassObserver& observer = *this;
  pass_ =
      std::make_unique<net::ConnectPass>(g_.svc, g_.texts, items, net::PassKind::Resident, observer,
                                         g_.state.NetworkWaitMs, &policy_.refusedLogins());
  if (!pass_->start()) {
    passOver();
    return;
  }
  driver_.drive(*pass_, [this] { passOver(); });
  showCount();  // some came back, others wait
}

void LetterKeeper::scheduleLater() {
  if (later_->running() || !keeping_) return;
  later_->start(policy_.laterDelayMs());
}

void LetterKeeper::laterDue() {
  if (!keeping_ || !g_.config.resident()) {
    later_->stop();
    return;
  }
  // Not while the person is in a window, nor inside a pass: looked at after.
  const bool personBusy = g_.toolkit.activeModal() != nullptr ||
                          (g_.state.MainWindow != nullptr && g_.state.MainWindow->visible());
  if (personBusy || pass_) {
    later_->start(kBusyRetryMs);
    return;
  }
  later_->stop();
  std::array<net::PassItem, 27> items{};
  if (!policy_.missingItems(items)) {
    // All there: their servers are looked at now and then, for the tip.
    policy_.allFound();
    probeServers();
    showCount();
    scheduleLater();
    return;
  }
  policy_.triedLater();
  // One try of each letter, each within the network's bound: no waiting.
  net::PassObserver& observer = *this;
  net::ConnectPass(g_.svc, g_.texts, items, net::PassKind::Resident, observer, 0).run();
}

void LetterKeeper::passOver() {
  driver_.stop();
  const std::unique_ptr<net::ConnectPass> pass = std::move(pass_);
  pass->finish();
}

void LetterKeeper::finished(const net::PassSummary& summary) {
  for (const auto& item : net::automaticItems(g_.config)) {
    if (item.active && policy_.stateOf(item) == kConnected) told_.erase(item.localName);
  }
  for (const auto& f : summary.notConnected) {
    const std::string& letter = f.item->localName;
    // Told once, until the letter has been connected again.
    if (!told_.insert(letter).second) continue;
    g_.toolkit.notify(g_.texts.msg(app::kMsgLetterLost),
                      f.item->label + " " + f.item->path + "\r\n" + f.sentence);
  }
  // Missing again: the delays start over.
  if (!summary.notConnected.empty() && policy_.startOver()) later_->stop();
  scheduleLater();
  showCount();
}

void LetterKeeper::probeServers() {
  silent_.clear();
  const platform::NetworkPass pass(g_.svc.network);
  net::ServerProbe probe(g_.svc.network);
  for (const auto& item : net::automaticItems(g_.config)) {
    if (item.active && probe.silent(item.path)) silent_.insert(item.localName);
  }
}

void LetterKeeper::showCount() {
  int active = 0;
  int up = 0;
  int silent = 0;
  for (const auto& item : net::automaticItems(g_.config)) {
    if (!item.active) continue;
    ++active;
    if (policy_.stateOf(item) != kConnected) continue;
    // Connected, but to a server that was gone at the last look: told apart.
    if (silent_.count(item.localName) != 0) {
      ++silent;
    } else {
      ++up;
    }
  }
  std::string tip = title_ + " - " + net::connectedText(g_.texts, up, active);
  if (silent > 0)
    tip += " (+" + std::to_string(silent) + " " + g_.texts.msg(app::kMsgServerSilent) + ")";
  g_.toolkit.setTrayTip(iconOwner_, iconId_, tip);
}

}  // namespace quilbert::ui
