#include "net/connect_pass.h"

#include <algorithm>

#include "app/catalogue.h"
#include "app/config.h"
#include "app/text.h"
#include "net/credential_source.h"
#include "net/primitives.h"

namespace quilbert::net {

namespace {
constexpr const char* kCrLf = "\r\n";
}  // namespace

bool waitsForNetwork(std::int32_t code) {
  return code == platform::neterr::kNetworkUnreachable || code == platform::neterr::kBadNetPath ||
         code == platform::neterr::kNoNetwork || code == platform::neterr::kKeyringLocked;
}

void cancelAllLetters(const app::Services& svc, const app::Catalogue& texts) {
  const platform::NetworkPass pass(svc.network);
  for (char c = 'A'; c <= 'Z'; ++c) CancelDriveConnection(svc, texts, std::string(1, c) + ":");
}

std::string connectedText(const app::Catalogue& texts, int connected, int of,
                          std::string_view separator) {
  return texts.msg(app::kMsgDrivesConnected) + " : " + std::string(separator) +
         std::to_string(connected) + "/" + std::to_string(of);
}

std::string summaryText(const app::Catalogue& texts, const PassResult& r) {
  return connectedText(texts, r.succeeded, r.tried, kCrLf);
}

ConnectPass::ConnectPass(const app::Services& svc, const app::Catalogue& texts,
                         const std::array<PassItem, 27>& items, PassKind kind,
                         PassObserver& observer, int waitLimitMs, LoginGuard* guard)
    : svc_(svc),
      texts_(texts),
      items_(items),
      kind_(kind),
      observer_(observer),
      waitLimitMs_(waitLimitMs),
      guard_(guard != nullptr ? *guard : ownGuard_) {}

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
    // A new password mends a wrong one; a locked or disabled account is
    // told by its own sentence.
    std::string letters;
    for (std::size_t i = 1; i <= app::kDriveCount; ++i) {
      if (items_[i].active && wrongPassword(codes_[i])) letters += " " + items_[i].label;
    }
    if (!letters.empty())
      observer_.passwordsNeeded(texts_.msg(app::kMsgNewPasswordNeeded) + letters);
  }
  if (setAside_.empty()) return false;
  state_ = State::Waiting;
  return true;
}

bool ConnectPass::connectedToItsShare(const PassItem& item) const {
  std::string remote;
  return svc_.network.getConnection(item.localName, remote) == platform::neterr::kOk &&
         app::lowerCase(app::trimSpaces(remote)) == app::lowerCase(item.path);
}

void ConnectPass::attempt(std::size_t i, bool firstTry) {
  const PassItem& item = items_[i];
  std::int32_t code = 0;
  NetOutcome outcome;
  const std::int32_t refusedWith = guard_.refused(item);
  const bool guarded = refusedWith != 0;
  if (guarded) {
    // Another try with a login a server just refused could lock the account,
    // whichever server, whatever pass: the person's Connect included.
    code = refusedWith;
    if (firstTry) skipped_.push_back(i);
  } else {
    outcome =
        AddDriveConnection(svc_, texts_, item.localName, item.path, item.login, item.password);
    code = outcome.code;
    // Still connected to its own share (files kept it from the cancel before
    // the pass, or an earlier session): that is what was asked.
    if (code == platform::neterr::kAlreadyAssigned && connectedToItsShare(item)) code = 0;
    observer_.attempted(item, code);
    guard_.note(item, code);
  }
  codes_[i] = code;
  if (code == 0) {
    ++result_.succeeded;
    if (firstTry) prepareFollowers(i);
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
  if (outcome.words.empty()) outcome.words = netErrorWords(texts_, svc_.network, code, item.path);
  if (code == platform::neterr::kBadNetName || code == platform::neterr::kNetworkUnreachable) {
    observer_.letterUnreachable(item, outcome.words);
  } else if (kind_ == PassKind::Interactive && !guarded) {
    observer_.letterFailed(item, outcome.words);
  }
}

// A server has just taken the letter's login: its later letters on that
// server offering the same pair may start connecting now, all at once; they
// are still asked for and told one by one, in order. A letter whose server an
// earlier letter reaches with another login is left to its turn, where a
// conflict (1219) is decided as in order; so is one on another server, which
// may refuse the login.
void ConnectPass::prepareFollowers(std::size_t first) {
  std::vector<platform::PendingConnection> letters;
  const std::string server = app::lowerCase(serverOfPath(items_[first].path));
  for (std::size_t j = first + 1; j <= app::kDriveCount; ++j) {
    const PassItem& item = items_[j];
    if (!item.active || prepared_[j] || !samePair(items_[first], item) ||
        app::lowerCase(serverOfPath(item.path)) != server) {
      continue;
    }
    bool otherLogin = false;
    for (std::size_t k = 1; k < j; ++k) {
      otherLogin = otherLogin ||
                   (items_[k].active && app::lowerCase(serverOfPath(items_[k].path)) == server &&
                    app::lowerCase(items_[k].login) != app::lowerCase(item.login));
    }
    if (otherLogin) continue;
    LetterCredentials c = letterCredentials(svc_, item.path, item.login, item.password);
    if (c.code != 0) continue;
    platform::PendingConnection& p = letters.emplace_back();
    p.resource.type = platform::kTypeDisk;
    p.resource.localName = item.localName;
    p.resource.remoteName = item.path;
    p.resource.provider = std::string();
    p.password = std::move(c.password);
    p.userName = item.login;
    prepared_[j] = true;
  }
  if (!letters.empty()) svc_.network.prepareConnections(letters);
  for (platform::PendingConnection& p : letters) platform::wipe(p.password);
}

void ConnectPass::retrySetAside() {
  svc_.network.forgetUnreachable();
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
  std::string text = texts_.msg(app::kMsgWaitingForNetwork) + " :";
  for (std::size_t i : setAside_) text += " " + items_[i].label;
  return text;
}

void ConnectPass::finish() {
  state_ = State::Done;
  svc_.network.dropPrepared();
  PassSummary s;
  s.kind = kind_;
  s.result = result_;
  s.text = summaryText(texts_, result_);
  for (std::size_t i = 1; i <= app::kDriveCount; ++i) {
    if (!items_[i].active || codes_[i] == 0) continue;
    s.notConnected.push_back({&items_[i], codes_[i], texts_.msg(errorMessageNumber(codes_[i]))});
  }
  observer_.finished(s);
}

PassResult connectItems(const app::Services& svc, const app::Catalogue& texts,
                        const std::array<PassItem, 27>& items, PassKind kind,
                        PassObserver& observer) {
  return ConnectPass(svc, texts, items, kind, observer, 0).run();
}

std::array<PassItem, 27> automaticItems(const app::Config& config) {
  std::array<PassItem, 27> items{};
  for (int i = 1; i <= app::kDriveCount; ++i) {
    const auto& e = config.DriveTable[static_cast<std::size_t>(i)];
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

}  // namespace quilbert::net
