#include "ui/main/keeper.h"

#include <functional>
#include <utility>

#include "app/catalogue.h"
#include "app/text.h"
#include "net/primitives.h"
#include "platform/forms/toolkit.h"

namespace quilbert::ui {

namespace {
// A change met while a window waits for the person is looked at after it.
constexpr int kBusyRetryMs = 2000;
}  // namespace

LetterKeeper::LetterKeeper(app::Globals& g, forms::Form& iconOwner, int iconId, std::string title)
    : g_(g),
      iconOwner_(iconOwner),
      iconId_(iconId),
      title_(std::move(title)),
      clock_(g.svc.toolkit, "frmKeeper"),
      retry_(clock_.add<forms::Timer>("Retry")) {
  retry_.setTimerEnabled(false);
  retry_.onTick = [this] { retryDue(); };
}

LetterKeeper::~LetterKeeper() {
  if (g_.svc.networkEvents != nullptr) g_.svc.networkEvents->setListener(nullptr);
}

std::size_t LetterKeeper::entryKey(const net::PassItem& item) {
  return std::hash<std::string>{}(item.login + '\n' + item.password + '\n' + item.path);
}

void LetterKeeper::start(const std::vector<std::string>& refused) {
  clock_.load();
  const auto items = net::automaticItems(g_);
  for (const auto& item : items) {
    for (const auto& letter : refused) {
      if (item.active && item.localName == letter) refused_[letter] = entryKey(item);
    }
  }
  if (auto* events = g_.svc.networkEvents) {
    events->setListener([this](platform::NetworkEvent) { check(); });
  }
  showCount();
}

void LetterKeeper::setKeeping(bool keeping) {
  keeping_ = keeping;
  if (!keeping_) {
    // The person took over: nothing of this pass is told.
    retry_.setTimerEnabled(false);
    pass_.reset();
  }
  // Connected by hand: every letter is kept again.
  if (keeping_) seen_.clear();
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
  std::array<net::PassItem, 27> items = net::automaticItems(g_);
  bool any = false;
  for (auto& item : items) {
    auto refused = refused_.find(item.localName);
    if (refused != refused_.end() && refused->second != entryKey(item)) refused_.erase(refused);
    item.active =
        item.active && refused_.count(item.localName) == 0 && stateOf(item) == LetterState::Missing;
    any = any || item.active;
  }
  if (!any) {
    showCount();
    return;
  }
  net::PassObserver& observer = *this;
  pass_ = std::make_unique<net::ConnectPass>(g_, items, net::PassKind::Resident, observer,
                                             g_.NetworkWaitMs);
  if (!pass_->start()) {
    passOver();
    return;
  }
  retry_.setInterval(pass_->nextRetryMs());
  retry_.setTimerEnabled(true);
  showCount();  // some came back, others wait
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
    if (net::loginRefused(f.code)) refused_[letter] = entryKey(*f.item);
    // Told once, until the letter has been connected again.
    if (!told_.insert(letter).second) continue;
    g_.svc.toolkit.notify(g_.msg(app::kMsgLetterLost),
                          f.item->label + " " + f.item->path + "\r\n" + f.sentence);
  }
  showCount();
}

void LetterKeeper::showCount() {
  int active = 0;
  int up = 0;
  for (const auto& item : net::automaticItems(g_)) {
    if (!item.active) continue;
    ++active;
    if (stateOf(item) == LetterState::Connected) ++up;
  }
  g_.svc.toolkit.setTrayTip(
      iconOwner_, iconId_,
      title_ + " - " + g_.msg(60) + " : " + std::to_string(up) + "/" + std::to_string(active));
}

}  // namespace quilbert::ui
