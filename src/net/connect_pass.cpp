#include "net/connect_pass.h"

#include <algorithm>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "net/primitives.h"

namespace quilbert::net {

namespace {
constexpr const char* kCrLf = "\r\n";

std::string serverOf(const std::string& path) {
  const std::size_t start = path.find_first_not_of('\\');
  if (start == std::string::npos) return {};
  const std::size_t end = path.find('\\', start);
  return path.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
}  // namespace

bool waitsForNetwork(std::int32_t code) {
  return code == platform::neterr::kNetworkUnreachable || code == platform::neterr::kBadNetPath ||
         code == platform::neterr::kNoNetwork;
}

bool loginRefused(std::int32_t code) {
  return code == platform::neterr::kLogonFailure || code == platform::neterr::kInvalidPassword;
}

void cancelAllLetters(app::Globals& g) {
  const platform::NetworkPass pass(g.svc.network);
  for (char c = 'A'; c <= 'Z'; ++c) CancelDriveConnection(g, std::string(1, c) + ":");
}

std::string summaryText(const app::Globals& g, const PassResult& r) {
  return g.msg(60) + " : " + kCrLf + std::to_string(r.succeeded) + "/" + std::to_string(r.tried);
}

ConnectPass::ConnectPass(app::Globals& g, const std::array<PassItem, 27>& items, PassKind kind,
                         PassObserver& observer, int waitLimitMs)
    : g_(g), items_(items), kind_(kind), observer_(observer), waitLimitMs_(waitLimitMs) {}

std::string ConnectPass::loginKey(const PassItem& item) const {
  return app::lowerCase(item.login) + "\n" + app::lowerCase(serverOf(item.path));
}

PassResult ConnectPass::run() {
  if (start()) {
    observer_.waitForNetwork(*this);
    // The observer let the wait go without ending it: it is over.
    stopWaiting();
  }
  finish();
  return result_;
}

bool ConnectPass::start() {
  for (std::size_t i = 1; i <= app::kDriveCount; ++i) {
    if (!items_[i].active) continue;
    ++result_.tried;
    attempt(i, true);
  }
  if (!skipped_.empty()) {
    std::string letters;
    for (std::size_t i = 1; i <= app::kDriveCount; ++i) {
      if (items_[i].active && loginRefused(codes_[i])) letters += " " + items_[i].label;
    }
    observer_.passwordsNeeded(g_.msg(app::kMsgNewPasswordNeeded) + letters);
  }
  if (setAside_.empty()) return false;
  state_ = State::Waiting;
  return true;
}

void ConnectPass::attempt(std::size_t i, bool firstTry) {
  const PassItem& item = items_[i];
  std::int32_t code = 0;
  // Unattended passes only: the person at the Connect button sees each refusal.
  const bool guarded = kind_ != PassKind::Interactive && refused_.count(loginKey(item)) != 0;
  if (guarded) {
    // Another try with a login the server just refused could lock the account.
    code = platform::neterr::kLogonFailure;
    if (firstTry) skipped_.push_back(i);
  } else {
    g_.LastNetError = 0;
    AddDriveConnection(g_, item.localName, item.path, item.login, item.password);
    code = g_.LastNetError;
    observer_.attempted(item, code);
    if (loginRefused(code)) refused_.insert(loginKey(item));
  }
  codes_[i] = code;
  if (code == 0) {
    ++result_.succeeded;
    return;
  }
  if (waitLimitMs_ > 0 && waitsForNetwork(code)) {
    if (firstTry) setAside_.push_back(i);
    return;
  }
  // Retries open no window: what they meet is told in the summary.
  if (!firstTry) return;
  if (code == platform::neterr::kAlreadyAssigned) {
    observer_.letterInUse(item);
    return;
  }
  SetNetErrorText(g_, code, item.path);
  if (code == platform::neterr::kBadNetName || code == platform::neterr::kNetworkUnreachable) {
    observer_.letterUnreachable(item, g_.NetErrorText);
  } else if (kind_ == PassKind::Interactive && !guarded) {
    observer_.letterFailed(item, g_.NetErrorText);
  }
}

void ConnectPass::retrySetAside() {
  g_.svc.network.forgetUnreachable();
  std::vector<std::size_t> still;
  for (std::size_t i : setAside_) {
    attempt(i, false);
    if (waitLimitMs_ > 0 && waitsForNetwork(codes_[i])) still.push_back(i);
  }
  const bool changed = still.size() != setAside_.size();
  setAside_ = std::move(still);
  if (setAside_.empty()) {
    state_ = State::Done;
  } else if (changed) {
    observer_.waitingChanged(waitingText());
  }
}

void ConnectPass::networkChanged() {
  if (state_ == State::Waiting) retrySetAside();
}

void ConnectPass::retryDue() {
  if (state_ != State::Waiting) return;
  waitedMs_ += nextRetryMs();
  ++retries_;
  retrySetAside();
  if (waitedMs_ >= waitLimitMs_) stopWaiting();
}

void ConnectPass::stopWaiting() {
  if (state_ == State::Waiting) state_ = State::Done;
}

int ConnectPass::nextRetryMs() const {
  return std::min(kRetryDelaysMs[std::min(retries_, kRetryDelaysMs.size() - 1)],
                  waitLimitMs_ - waitedMs_);
}

std::string ConnectPass::waitingText() const {
  std::string text = g_.msg(app::kMsgWaitingForNetwork) + " :";
  for (std::size_t i : setAside_) text += " " + items_[i].label;
  return text;
}

void ConnectPass::finish() {
  state_ = State::Done;
  PassSummary s;
  s.kind = kind_;
  s.result = result_;
  s.text = summaryText(g_, result_);
  for (std::size_t i = 1; i <= app::kDriveCount; ++i) {
    if (!items_[i].active || codes_[i] == 0) continue;
    s.notConnected.push_back({&items_[i], codes_[i], g_.msg(errorMessageNumber(codes_[i]))});
  }
  if (kind_ == PassKind::Automatic) g_.AutoRunState = "o";
  observer_.finished(s);
}

PassResult connectItems(app::Globals& g, const std::array<PassItem, 27>& items, PassKind kind,
                        PassObserver& observer) {
  return ConnectPass(g, items, kind, observer, 0).run();
}

std::array<PassItem, 27> automaticItems(app::Globals& g) {
  app::TakeApartDriveLines(g);
  std::array<PassItem, 27> items{};
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const auto& e = g.DriveTable[static_cast<std::size_t>(i)];
    auto& item = items[static_cast<std::size_t>(i)];
    const std::string letter(1, static_cast<char>('A' + i - 1));
    // An entry without a path has nothing to connect; the rows make it
    // inactive too.
    item.active = app::isActiveEntry(e);
    item.localName = letter + ":";
    item.label = letter + ":";
    item.path = app::trimSpaces(e.Path);
    item.login = app::trimSpaces(e.Login);
    item.password = app::trimSpaces(e.Password);
  }
  return items;
}

PassResult AutomaticRun(app::Globals& g, PassObserver& observer) {
  cancelAllLetters(g);
  return ConnectPass(g, automaticItems(g), PassKind::Automatic, observer, g.NetworkWaitMs).run();
}

}  // namespace quilbert::net
