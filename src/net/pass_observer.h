// What a connect pass tells the person who started it, or the script. The
// pass decides what is said; the windows (or a program without one) decide how.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/secret.h"

namespace quilbert::net {

class ConnectPass;

// One letter as a pass sees it; strings already trimmed.
struct PassItem {
  bool active = false;
  std::string localName;  // "X:"
  std::string label;      // how messages name the letter ("X:" or the row's label)
  std::string path;
  std::string login;
  std::string password;

  PassItem() = default;
  PassItem(const PassItem&) = default;
  PassItem& operator=(const PassItem&) = default;
  PassItem(PassItem&&) = default;
  PassItem& operator=(PassItem&&) = default;
  ~PassItem() { platform::wipe(password); }
};

// Resident: the letters kept connected in the background, silently.
enum class PassKind { Interactive, Automatic, Resident };

struct PassResult {
  std::int16_t tried = 0;
  std::int16_t succeeded = 0;
};

// A letter that is still not connected when the pass ends.
struct LetterFailure {
  const PassItem* item = nullptr;
  std::int32_t code = 0;
  std::string sentence;  // the catalogue's sentence for the code
};

struct PassSummary {
  PassKind kind = PassKind::Automatic;
  PassResult result;
  std::string text;                         // entry 60, " : ", CR LF, successes "/" tried
  std::vector<LetterFailure> notConnected;  // in letter order
};

// Each call does nothing unless the observer has something to say about it.
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  // Every attempt's code (0: connected), as it comes.
  virtual void attempted(const PassItem& /*item*/, std::int32_t /*code*/) {}
  // The letter is in use (85): a dialog; returns once it is answered.
  virtual void letterInUse(const PassItem& /*item*/) {}
  // The share was not found or not reached (67, 1231) and is given up: a
  // two-second status; returns once it has closed.
  virtual void letterUnreachable(const PassItem& /*item*/, const std::string& /*sentence*/) {}
  // Any other failure of the interactive pass: a dialog; returns once answered.
  virtual void letterFailed(const PassItem& /*item*/, const std::string& /*sentence*/) {}
  // Said once per pass: the login was refused for these letters, which are
  // not tried again (`text` names them).
  virtual void passwordsNeeded(const std::string& /*text*/) {}
  // Letters wait for the network: say so (pass.waitingText()) and hand the
  // pass its events (networkChanged, retryDue after nextRetryMs, stopWaiting)
  // until it no longer waits. Never called when the observer cannot wait.
  virtual void waitForNetwork(ConnectPass& /*pass*/) {}
  // The waiting text changed (a letter connected meanwhile).
  virtual void waitingChanged(const std::string& /*text*/) {}
  // The end of the pass.
  virtual void finished(const PassSummary& /*summary*/) {}
};

}  // namespace quilbert::net
